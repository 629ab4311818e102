// quillpack.dll seen from a Windows host: loading, exports, version resource, text mode, paths.
#include <windows.h>
#undef LoadLibrary  // the Win32 macro, not the test helper

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>

#include "quillpack.h"
#include "test_support.h"

namespace quillpack_test {
namespace {

using Function = decltype(&Quillpack);
static_assert(std::is_same_v<Function, decltype(&Quillunpack)>);

constexpr wchar_t kDllName[] = L"quillpack.dll";

std::wstring Wide(const std::string &text) {
  std::u16string utf16 = Utf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

// A loaded copy of the DLL with both functions found by name.
struct Dll {
  HMODULE module = nullptr;
  Function pack = nullptr;
  Function unpack = nullptr;
};

// GetProcAddress's result as an exported function (through void (*)(), the one cast
// between function types that is not taken for a mistake).
Function Find(HMODULE module, const char *name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

Dll Load(const wchar_t *name) {
  Dll dll;
  dll.module = LoadLibraryW(name);
  if (dll.module == nullptr) return dll;
  dll.pack = Find(dll.module, "Quillpack");
  dll.unpack = Find(dll.module, "Quillunpack");
  return dll;
}

// `path` with backslashes, the separator LoadLibraryW requires.
std::wstring NativeWide(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return Wide(path);
}

std::string ReadWide(const std::wstring &path) {
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
Bytes RoundTrip(const Dll &dll, const TempDir &dir, const Bytes &input, Bytes *restored) {
  WriteFile(dir.Path("in"), input);
  std::wstring in = Wide(dir.Path("in")), qpk = Wide(dir.Path("in.qpk"));
  std::wstring out = Wide(dir.Path("out"));
  Outcome packed = Capture([&] { return dll.pack(in.c_str(), qpk.c_str()); });
  Outcome unpacked = Capture([&] { return dll.unpack(qpk.c_str(), out.c_str()); });
  EXPECT_EQ(packed.result, 999);
  EXPECT_EQ(unpacked.result, 999);
  EXPECT_EQ(packed.err + unpacked.err, "");
  *restored = ReadFile(dir.Path("out"));
  return ReadFile(dir.Path("in.qpk"));
}

TEST(WindowsDll, ExportsPlainNamesAtOrdinalsOneAndTwo) {
  Dll dll = Load(kDllName);
  ASSERT_NE(dll.module, nullptr) << GetLastError();
  ASSERT_NE(dll.pack, nullptr);
  ASSERT_NE(dll.unpack, nullptr);
  EXPECT_NE(reinterpret_cast<void *>(dll.pack), reinterpret_cast<void *>(dll.unpack));
  EXPECT_EQ(Find(dll.module, MAKEINTRESOURCEA(1)), dll.pack);
  EXPECT_EQ(Find(dll.module, MAKEINTRESOURCEA(2)), dll.unpack);
  EXPECT_EQ(GetProcAddress(dll.module, MAKEINTRESOURCEA(3)), nullptr);
  // Nothing else leaks out: no decorated spellings, no internals, no entry point.
  for (const char *name : {"_Quillpack", "Quillpack@8", "quillpack", "DllMain", "CompressFile",
                           "_ZN9quillpack12CompressFileEPKcS1_"}) {
    EXPECT_EQ(GetProcAddress(dll.module, name), nullptr) << name;
  }
  EXPECT_TRUE(FreeLibrary(dll.module));
}

TEST(WindowsDll, CarriesVersionOneZeroZeroOne) {
  Dll dll = Load(kDllName);
  ASSERT_NE(dll.module, nullptr);
  std::wstring path = ModulePath(dll.module);
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
  FreeLibrary(dll.module);
}

// Each load of a private copy runs a real process attach, each final release a detach, and
// the functions work on threads created while it is loaded.
TEST(WindowsDll, LoadsAndUnloadsRepeatedly) {
  TempDir dir;
  std::wstring copy = NativeWide(dir.Path("quillpack-copy.dll"));
  Dll shared = Load(kDllName);
  ASSERT_NE(shared.module, nullptr);
  ASSERT_TRUE(CopyFileW(ModulePath(shared.module).c_str(), copy.c_str(), FALSE));
  FreeLibrary(shared.module);
  WriteText(dir.Path("in"), "attach, detach, attach, detach");
  for (int round = 0; round < 3; ++round) {
    Dll dll = Load(copy.c_str());
    ASSERT_NE(dll.module, nullptr) << round;
    ASSERT_NE(dll.pack, nullptr);
    std::wstring in = Wide(dir.Path("in")), qpk = Wide(dir.Path("in.qpk"));
    int32_t result = 0;
    Outcome o = Capture([&] {
      std::thread worker([&] { result = dll.pack(in.c_str(), qpk.c_str()); });
      worker.join();
      return result;
    });
    EXPECT_EQ(o.result, 999);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("Compression successful"), std::string::npos);
    EXPECT_TRUE(FreeLibrary(dll.module));
    EXPECT_EQ(GetModuleHandleW(L"quillpack-copy.dll"), nullptr) << "still loaded, round " << round;
  }
}

// The container is written in text mode: every line ends in CR LF. The input and the
// restored file are binary, so CR LF and Ctrl-Z inside them survive untouched.
TEST(WindowsDll, ContainersAreCrLfTextAndRoundTrip) {
  Dll dll = Load(kDllName);
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
    Bytes replayed;
    EXPECT_TRUE(ReplayTokens(tokens, &replayed));
    EXPECT_EQ(replayed, input);
  }
  FreeLibrary(dll.module);
}

// A container with bare LF line ends (as POSIX systems write it) restores the same, and a
// Ctrl-Z in the text ends it, as text mode reads on Windows.
TEST(WindowsDll, RestoresLfContainersAndStopsAtCtrlZ) {
  Dll dll = Load(kDllName);
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
    std::wstring qpk = Wide(dir.Path("in.qpk")), out = Wide(dir.Path("out"));
    Outcome o = Capture([&] { return dll.unpack(qpk.c_str(), out.c_str()); });
    EXPECT_EQ(o.result, 999) << c.name;
    EXPECT_EQ(o.err, "") << c.name;
    EXPECT_EQ(ReadText(dir.Path("out")), c.restored) << c.name;
  }
  FreeLibrary(dll.module);
}

TEST(WindowsDll, ReportsFailuresAndStillReturns999) {
  Dll dll = Load(kDllName);
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
    std::wstring in = c.input ? Wide(dir.Path(c.input)) : L"";
    std::wstring out = c.output ? Wide(dir.Path(c.output)) : L"";
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
  FreeLibrary(dll.module);
}

// One file reached through spellings that differ only in ways Windows ignores, and through
// a second hard link, is recognised as the input and refused as the output.
TEST(WindowsDll, RecognisesTheInputUnderOtherNames) {
  Dll dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  TempDir dir;
  std::filesystem::create_directory(dir.Path("sub"));
  WriteText(dir.Path("in"), "precious");
  WriteText(dir.Path("other"), "other");
  std::wstring link = Wide(dir.Path("link"));
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), Wide(dir.Path("in")).c_str(), nullptr));
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
    std::wstring in = Wide(dir.Path("in")), out = Wide(c.output);
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
  FreeLibrary(dll.module);
}

// Paths reach fopen in the ANSI code page: a character of the code page arrives intact (and
// is shown in its code-page form), one with no counterpart there becomes the substitute '?'.
TEST(WindowsDll, PathsTravelInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "expects the Western European code page, got " << GetACP();
  Dll dll = Load(kDllName);
  ASSERT_NE(dll.pack, nullptr);
  TempDir dir;
  std::wstring base = Wide(dir.Path(""));
  std::wstring in = base + L"caf\u00E9", qpk = base + L"caf\u00E9.qpk", out = base + L"\u00FCber";
  FILE *f = _wfopen(in.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  std::fputs("na\u00EFve bytes", f);
  std::fclose(f);

  Outcome packed = Capture([&] { return dll.pack(in.c_str(), qpk.c_str()); });
  EXPECT_EQ(packed.err, "");
  EXPECT_EQ(packed.out, "Compression successful: '" + dir.Path("caf\xE9") + "' -> '" +
                            dir.Path("caf\xE9.qpk") + "'\n");
  Outcome unpacked = Capture([&] { return dll.unpack(qpk.c_str(), out.c_str()); });
  EXPECT_EQ(unpacked.err, "");
  EXPECT_EQ(ReadWide(out), "na\u00EFve bytes");

  // U+4E2D has no counterpart in code page 1252, so this file is out of reach by its name.
  std::wstring foreign = base + L"\u4E2D";
  f = _wfopen(foreign.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  Outcome lost = Capture([&] { return dll.pack(foreign.c_str(), qpk.c_str()); });
  EXPECT_EQ(lost.result, 999);
  EXPECT_EQ(lost.err, "Error: Cannot open input file '" + dir.Path("?") + "'\n");
  FreeLibrary(dll.module);
}

}  // namespace
}  // namespace quillpack_test
