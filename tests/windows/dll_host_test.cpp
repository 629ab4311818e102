// quillpack.dll seen from a Windows host: loading, exports, version resource, text mode,
// paths, the files and lines of a call.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "quillpack.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using Function = Library::Function;
static_assert(std::is_same_v<Function, decltype(&Quillunpack)>);

constexpr char kDllName[] = "quillpack.dll";

// The DLL at `path` (a bare name is looked for beside the program) with both functions
// found by name; a failure is reported and leaves null fields.
Library Load(const std::string &path) {
  Library dll;
  std::string error;
  EXPECT_TRUE(OpenLibrary(path, &dll, &error)) << error;
  return dll;
}

HMODULE Module(const Library &dll) {
  return static_cast<HMODULE>(dll.handle);
}

std::string ReadUtf16(const std::wstring &path) {
  std::string text;
  FILE *f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) return text;
  for (int c; (c = std::fgetc(f)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(f);
  return text;
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  return std::wstring(path, length);
}

// Packs and restores `input` through `dll`; returns the container's raw bytes.
Bytes RoundTrip(const Library &dll, const TempDir &dir, const Bytes &input, Bytes *restored) {
  WriteFile(dir.Path("in"), input);
  std::wstring in = Utf16(dir.Path("in")), qpk = Utf16(dir.Path("in.qpk"));
  std::wstring out = Utf16(dir.Path("out"));
  Outcome packed = Capture([&] { return dll.pack(in.c_str(), qpk.c_str()); });
  Outcome unpacked = Capture([&] { return dll.unpack(qpk.c_str(), out.c_str()); });
  EXPECT_EQ(packed.result, 999);
  EXPECT_EQ(unpacked.result, 999);
  EXPECT_EQ(packed.err + unpacked.err, "");
  *restored = ReadFile(dir.Path("out"));
  return ReadFile(dir.Path("in.qpk"));
}

TEST(WindowsDll, ExportsPlainNamesAtOrdinalsOneAndTwo) {
  Library dll = Load(kDllName);
  ASSERT_NE(Module(dll), nullptr) << GetLastError();
  ASSERT_NE(dll.pack, nullptr);
  ASSERT_NE(dll.unpack, nullptr);
  EXPECT_NE(reinterpret_cast<void *>(dll.pack), reinterpret_cast<void *>(dll.unpack));
  EXPECT_EQ(LibraryFunction(dll, MAKEINTRESOURCEA(1)), dll.pack);
  EXPECT_EQ(LibraryFunction(dll, MAKEINTRESOURCEA(2)), dll.unpack);
  EXPECT_EQ(GetProcAddress(Module(dll), MAKEINTRESOURCEA(3)), nullptr);
  // Nothing else leaks out: no decorated spellings, no internals, no entry point.
  for (const char *name : {"_Quillpack", "Quillpack@8", "quillpack", "DllMain", "CompressFile",
                           "_ZN9quillpack12CompressFileEPKcS1_"}) {
    EXPECT_EQ(GetProcAddress(Module(dll), name), nullptr) << name;
  }
  EXPECT_TRUE(CloseLibrary(dll));
}

#if defined(__i386__)
extern "C" int32_t __cdecl PackFromStdcallHost(void (*found)(), const wchar_t *input,
                                               const wchar_t *output);

// A 32-bit host whose compiler makes stdcall its default (stdcall_host.cpp, which also checks
// the declared type when it compiles) calls the export through the header's declaration.
TEST(WindowsDll, HostsWithStdcallAsTheirDefaultCallCorrectly) {
  Library dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  TempDir dir;
  WriteText(dir.Path("in"), "called from a stdcall host");
  std::wstring in = Utf16(dir.Path("in")), qpk = Utf16(dir.Path("in.qpk"));
  auto found = reinterpret_cast<void (*)()>(GetProcAddress(Module(dll), "Quillpack"));
  for (int round = 0; round < 3; ++round) {
    Outcome o = Capture([&] { return PackFromStdcallHost(found, in.c_str(), qpk.c_str()); });
    EXPECT_EQ(o.result, 999);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("Compression successful"), std::string::npos);
  }
  CloseLibrary(dll);
}
#endif

TEST(WindowsDll, CarriesVersionOneZeroZeroOne) {
  Library dll = Load(kDllName);
  ASSERT_NE(Module(dll), nullptr);
  std::wstring path = ModulePath(Module(dll));
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
  ASSERT_GE(length, sizeof *fixed);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);  // .0.1
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  struct Translation {
    WORD language;
    WORD code_page;
  } *translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void **>(&translation), &length));
  ASSERT_GE(length, sizeof *translation);
  for (const wchar_t *key : {L"FileVersion", L"ProductVersion"}) {
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
             translation->code_page, key);
    wchar_t *value = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), query, reinterpret_cast<void **>(&value), &length))
        << key;
    EXPECT_EQ(std::wstring(value), L"1.0.0.1");
  }
  CloseLibrary(dll);
}

// Each load of a private copy runs a real process attach, each final release a detach, and
// the functions work on threads created while it is loaded.
TEST(WindowsDll, LoadsAndUnloadsRepeatedly) {
  TempDir dir;
  std::string copy = dir.Path("quillpack-copy.dll");
  std::replace(copy.begin(), copy.end(), '/', '\\');  // LoadLibraryW requires backslashes
  Library shared = Load(kDllName);
  ASSERT_NE(Module(shared), nullptr);
  ASSERT_TRUE(CopyFileW(ModulePath(Module(shared)).c_str(), Utf16(copy).c_str(), FALSE));
  CloseLibrary(shared);
  WriteText(dir.Path("in"), "attach, detach, attach, detach");
  for (int round = 0; round < 3; ++round) {
    Library dll = Load(copy);
    ASSERT_NE(Module(dll), nullptr) << round;
    ASSERT_NE(dll.pack, nullptr);
    std::wstring in = Utf16(dir.Path("in")), qpk = Utf16(dir.Path("in.qpk"));
    int32_t result = 0;
    Outcome o = Capture([&] {
      std::thread worker([&] { result = dll.pack(in.c_str(), qpk.c_str()); });
      worker.join();
      return result;
    });
    EXPECT_EQ(o.result, 999);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("Compression successful"), std::string::npos);
    EXPECT_TRUE(CloseLibrary(dll));
    EXPECT_EQ(GetModuleHandleW(L"quillpack-copy.dll"), nullptr) << "still loaded, round " << round;
  }
}

// The container is written in text mode: every line ends in CR LF. The input and the
// restored file are binary, so CR LF and Ctrl-Z inside them survive untouched.
TEST(WindowsDll, ContainersAreCrLfTextAndRoundTrip) {
  Library dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  const Bytes inputs[] = {
      {},
      {'\r', '\n', 0x1A, '\n', '\r', 0x00, 0x1A},
      Repeating(9000, "line\r\n"),
      RandomBytes(100000, 11),  // beyond the 32 KB window
  };
  for (const Bytes &input : inputs) {
    TempDir dir;
    Bytes restored;
    Bytes container = RoundTrip(dll, dir, input, &restored);
    EXPECT_EQ(restored, input) << input.size();
    std::string text(container.begin(), container.end());
    size_t lines = 0;
    for (size_t start = 0; start < text.size(); ++lines) {
      size_t end = text.find('\n', start);
      ASSERT_NE(end, std::string::npos);
      ASSERT_GT(end, start);
      EXPECT_EQ(text[end - 1], '\r')
          << "line " << lines << " of a " << input.size() << "-byte input";
      EXPECT_LE(end - start - 1, 80u);
      start = end + 1;
    }
    Bytes tokens = HexToBytes(text);
    EXPECT_EQ(lines, (tokens.size() * 2 + 79) / 80);
    PlainRestore replayed = PlainReplay(tokens);
    EXPECT_TRUE(replayed.ok && replayed.output == input) << replayed.err;
  }
  CloseLibrary(dll);
}

// A container with bare LF line ends (as POSIX systems write it) restores the same, and a
// Ctrl-Z in the text ends it, as text mode reads on Windows.
TEST(WindowsDll, RestoresLfContainersAndStopsAtCtrlZ) {
  Library dll = Load(kDllName);
  ASSERT_NE(dll.unpack, nullptr);
  const struct {
    const char *name;
    std::string text;
    std::string restored;
  } cases[] = {
      {"LF lines", "51504B01006100628003020000\n63\n", "ababac"},
      {"CR LF lines", "51504B0100610062\r\n8003020000\r\n63\r\n", "ababac"},
      {"Ctrl-Z ends the text",
       "51504B010061\x1A"
       "ZZZZ",
       "a"},
  };
  for (const auto &c : cases) {
    TempDir dir;
    WriteText(dir.Path("in.qpk"), c.text);
    std::wstring qpk = Utf16(dir.Path("in.qpk")), out = Utf16(dir.Path("out"));
    Outcome o = Capture([&] { return dll.unpack(qpk.c_str(), out.c_str()); });
    EXPECT_EQ(o.result, 999) << c.name;
    EXPECT_EQ(o.err, "") << c.name;
    EXPECT_EQ(ReadText(dir.Path("out")), c.restored) << c.name;
  }
  CloseLibrary(dll);
}

TEST(WindowsDll, ReportsFailuresAndStillReturns999) {
  Library dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  TempDir dir;
  WriteText(dir.Path("in"), "some text");
  WriteText(dir.Path("bad.qpk"), "51504B01 00G1\r\n");
  WriteText(dir.Path("foreign.qpk"), "0061\r\n");
  const struct {
    const char *name;
    Function function;
    const char *input;  // null: an absent path
    const char *output;
    std::string err;
    std::optional<std::string> output_after;  // none: the output must not exist
  } cases[] = {
      {"absent input", dll.pack, nullptr, "out1", "Error: Cannot open input file '(null)'\n", {}},
      {"absent output", dll.pack, "in", nullptr, "Error: Cannot open output file '(null)'\n", {}},
      {"missing input",
       dll.unpack,
       "missing.qpk",
       "out2",
       "Error: Cannot open input file '" + dir.Path("missing.qpk") + "'\n",
       {}},
      {"same file", dll.pack, "in", "in",
       "Error: Input and output are the same file '" + dir.Path("in") + "'\n", "some text"},
      {"invalid hex", dll.unpack, "bad.qpk", "out3",
       "Error: Invalid hex character\nError: Invalid Hex data\n", ""},
      {"no header", dll.unpack, "foreign.qpk", "out4", "Error: Invalid compressed file format\n",
       ""},
  };
  for (const auto &c : cases) {
    std::wstring in = c.input ? Utf16(dir.Path(c.input)) : L"";
    std::wstring out = c.output ? Utf16(dir.Path(c.output)) : L"";
    Outcome o = Capture([&] {
      return c.function(c.input ? in.c_str() : nullptr, c.output ? out.c_str() : nullptr);
    });
    EXPECT_EQ(o.result, 999) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    if (c.output == nullptr) continue;
    if (c.output_after) {
      EXPECT_EQ(ReadText(dir.Path(c.output)), *c.output_after) << c.name;
    } else {
      EXPECT_FALSE(FileExists(dir.Path(c.output))) << c.name;
    }
  }
  CloseLibrary(dll);
}

// The files a call opens are the call's alone: a process the host starts meanwhile inherits
// neither handle, and neither takes the C runtime's descriptors 0 to 2, which a host that
// closed its standard streams leaves free (a line meant for standard error would land in the
// output). The call is held open by its input, a named pipe whose writer this test is.
TEST(WindowsDll, FilesOfACallAreNotInheritedAndStayAboveTwo) {
  Library dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  TempDir dir;
  const std::wstring pipe = L"\\\\.\\pipe\\quillpack-" + std::to_wstring(GetCurrentProcessId());
  HANDLE server = CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                   1, 4096, 4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE) << GetLastError();
  const std::wstring out = Utf16(dir.Path("out.qpk"));
  constexpr int kDescriptors = 64;
  auto open_now = [] {
    std::set<int> open;
    for (int fd = 0; fd < kDescriptors; ++fd)
      if (_get_osfhandle(fd) != -1) open.insert(fd);
    return open;
  };
  // Nothing may be reported while descriptors 0 to 2 are closed; findings wait until after.
  std::fflush(stdout);
  std::fflush(stderr);
  const int saved[3] = {_dup(0), _dup(1), _dup(2)};
  for (int fd = 0; fd < 3; ++fd) _close(fd);
  const std::set<int> before = open_now();
  std::thread call([&] { dll.pack(pipe.c_str(), out.c_str()); });
  bool connected = ConnectNamedPipe(server, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
  // Each new descriptor and its handle's flags, once the call waits for the pipe: while it
  // opens its files a descriptor may stand for a moment where it will not stay, so the
  // finding is the first one seen unchanged over five looks 10 ms apart.
  std::vector<std::pair<int, DWORD>> opened;
  auto look = [&] {
    std::vector<std::pair<int, DWORD>> now;
    for (int fd : open_now()) {
      if (before.count(fd) != 0) continue;
      DWORD flags = 0;
      GetHandleInformation(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &flags);
      now.emplace_back(fd, flags);
    }
    return now;
  };
  for (int tries = 0, same = 0; connected && same < 5 && tries < 1000; ++tries) {
    std::vector<std::pair<int, DWORD>> now = look();
    same = now == opened && now.size() >= 2 ? same + 1 : 0;
    opened = now;
    Sleep(10);
  }
  DWORD written = 0;
  ::WriteFile(server, "piped text", 10, &written, nullptr);
  CloseHandle(server);  // the input ends
  call.join();
  for (int fd = 0; fd < 3; ++fd) {
    if (saved[fd] < 0) continue;
    _dup2(saved[fd], fd);
    _close(saved[fd]);
  }
  ASSERT_TRUE(connected) << "the call never opened the pipe";
  ASSERT_EQ(opened.size(), 2u) << "the call's input and output were not both seen open";
  for (const auto &[fd, flags] : opened) {
    EXPECT_GT(fd, 2) << "descriptor " << fd;
    EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u) << "descriptor " << fd;
  }
  EXPECT_EQ(ReadUtf16(out).substr(0, 8), "51504B01");
  CloseLibrary(dll);
}

// A host that points descriptor 2 at a file for one call, puts it back and reads the file
// (before anything flushes the C runtime's streams) finds the call's line in the file: each
// line has reached its descriptor when the call returns.
TEST(WindowsDll, EachLineHasReachedItsFileWhenTheCallReturns) {
  Library dll = Load(kDllName);
  ASSERT_NE(dll.unpack, nullptr);
  TempDir dir;
  const std::wstring missing = Utf16(dir.Path("missing")), out = Utf16(dir.Path("out"));
  std::fflush(stderr);
  int saved = _dup(2);
  int file = _open(dir.Path("stderr").c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                   _S_IREAD | _S_IWRITE);
  ASSERT_GE(saved, 0);
  ASSERT_GE(file, 0);
  ASSERT_EQ(_dup2(file, 2), 0);
  dll.unpack(missing.c_str(), out.c_str());
  _dup2(saved, 2);
  _close(saved);
  _close(file);
  EXPECT_EQ(ReadText(dir.Path("stderr")),
            "Error: Cannot open input file '" + dir.Path("missing") + "'\n");
  std::fflush(stderr);
  CloseLibrary(dll);
}

// One file reached through spellings that differ only in ways Windows ignores, and through
// a second hard link, is recognised as the input and refused as the output.
TEST(WindowsDll, RecognisesTheInputUnderOtherNames) {
  Library dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  TempDir dir;
  std::filesystem::create_directory(dir.Path("sub"));
  WriteText(dir.Path("in"), "precious");
  WriteText(dir.Path("other"), "other");
  std::wstring link = Utf16(dir.Path("link"));
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), Utf16(dir.Path("in")).c_str(), nullptr));
  std::string backslashed = dir.Path("in");
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
  const struct {
    std::string output;
    bool same;
  } cases[] = {
      {backslashed, true},      {dir.Path("IN"), true},     {dir.Path("sub/../in"), true},
      {dir.Path("link"), true}, {dir.Path("other"), false},
  };
  for (const auto &c : cases) {
    std::wstring in = Utf16(dir.Path("in")), out = Utf16(c.output);
    Outcome o = Capture([&] { return dll.pack(in.c_str(), out.c_str()); });
    EXPECT_EQ(o.result, 999);
    if (c.same) {
      EXPECT_EQ(o.err, "Error: Input and output are the same file '" + dir.Path("in") + "'\n")
          << c.output;
    } else {
      EXPECT_EQ(o.err, "") << c.output;
    }
    EXPECT_EQ(ReadText(dir.Path("in")), "precious") << c.output;
  }
  CloseLibrary(dll);
}

// Paths reach fopen in the ANSI code page, converted exactly or not at all. A name the code
// page holds arrives intact (and is shown in its code-page form); a name with a character it
// lacks becomes the empty path, which opens nothing. A best-fit look-alike must never stand
// in: fullwidth full stops and reverse solidus, or a division slash, would turn into "..\"
// or "../" and name a file outside the folder the host checked. Run in code page 1252 and,
// by a second test program, in UTF-8 (tests/CMakeLists.txt).
TEST(WindowsDll, PathsConvertExactlyOrNotAtAll) {
  const UINT code_page = GetACP();
  const bool utf8 = code_page == CP_UTF8;
  if (const char *expected = std::getenv("QUILLPACK_EXPECT_CODE_PAGE")) {
    ASSERT_EQ(std::to_string(code_page), expected) << "the program's manifest was not honoured";
  }
  if (code_page != 1252 && !utf8) {
    GTEST_SKIP() << "expects code page 1252 or UTF-8, got " << code_page;
  }
  Library dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir.Path("sub")));
  WriteText(dir.Path("secret.txt"), "beside the folder");
  WriteText(dir.Path("sub/plain.txt"), "plain");
  const std::wstring sub = Utf16(dir.Path("sub/"));

  struct Name {
    std::wstring wide;
    std::string in_code_page;  // empty: not in the code page
  };
  std::vector<Name> reachable = {{L"\u00E4.txt", utf8 ? "\xC3\xA4.txt" : "\xE4.txt"}};
  if (utf8) {
    // Three bytes for each of these units: more than two bytes per unit of the whole path.
    Name cjk{std::wstring(64, L'\u4E2D') + L".txt", ".txt"};
    for (int i = 0; i < 64; ++i) cjk.in_code_page.insert(0, "\xE4\xB8\xAD");
    reachable.push_back(cjk);
  }
  for (const Name &name : reachable) {
    std::wstring in = sub + name.wide, qpk = in + L".qpk", out = in + L".out";
    FILE *f = _wfopen(in.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fputs("na\u00EFve bytes", f);
    std::fclose(f);
    Outcome packed = Capture([&] { return dll.pack(in.c_str(), qpk.c_str()); });
    EXPECT_EQ(packed.err, "") << name.in_code_page;
    EXPECT_EQ(packed.out, "Compression successful: '" + dir.Path("sub/" + name.in_code_page) +
                              "' -> '" + dir.Path("sub/" + name.in_code_page + ".qpk") + "'\n");
    Outcome unpacked = Capture([&] { return dll.unpack(qpk.c_str(), out.c_str()); });
    EXPECT_EQ(unpacked.err, "") << name.in_code_page;
    EXPECT_EQ(ReadUtf16(out), "na\u00EFve bytes") << name.in_code_page;
  }

  // In UTF-8 every one of these but the lone surrogate is an ordinary name inside the folder.
  const Name unreachable[] = {
      {L"\uFF0E\uFF0E\uFF3C", utf8 ? "\xEF\xBC\x8E\xEF\xBC\x8E\xEF\xBC\xBC" : ""},
      {L"\uFF0E\uFF0E\u2215", utf8 ? "\xEF\xBC\x8E\xEF\xBC\x8E\xE2\x88\x95" : ""},
      {L"\u4E2D", utf8 ? "\xE4\xB8\xAD" : ""},
      {L"\xD800", ""},
  };
  for (const Name &name : unreachable) {
    std::string shown = name.in_code_page.empty() ? "" : dir.Path("sub/" + name.in_code_page);
    std::wstring plain = sub + L"plain.txt", escaped = sub + name.wide + L"escaped.qpk";
    Outcome o = Capture([&] { return dll.pack(plain.c_str(), escaped.c_str()); });
    EXPECT_EQ(o.result, 999);
    if (name.in_code_page.empty()) {
      EXPECT_EQ(o.err, "Error: Cannot open output file ''\n");
      EXPECT_EQ(o.out, "");
    } else {
      EXPECT_EQ(o.err, "") << shown;
      EXPECT_EQ(o.out, "Compression successful: '" + dir.Path("sub/plain.txt") + "' -> '" + shown +
                           "escaped.qpk'\n");
      EXPECT_EQ(ReadUtf16(escaped).substr(0, 8), "51504B01") << shown;
    }
    EXPECT_FALSE(FileExists(dir.Path("escaped.qpk"))) << shown;

    std::wstring secret = sub + name.wide + L"secret.txt", stolen = sub + L"stolen.qpk";
    o = Capture([&] { return dll.pack(secret.c_str(), stolen.c_str()); });
    EXPECT_EQ(o.err, "Error: Cannot open input file '" + shown +
                         (shown.empty() ? "" : "secret.txt") + "'\n");
    EXPECT_EQ(o.out, "");
    EXPECT_FALSE(FileExists(dir.Path("sub/stolen.qpk"))) << shown;
  }
  CloseLibrary(dll);
}

}  // namespace
}  // namespace quillpack_test
