// The command's system services on Windows: the C runtime's descriptors over UTF-16 names.
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <string.h>
#include <sys/stat.h>
#include <windows.h>

#include "command/system.h"

namespace quillpack_command {
namespace {

// `path` (UTF-8) as UTF-16; empty when it is not valid UTF-8, which no file is named by.
std::wstring Wide(const char *path) {
  int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide.data(), units);
  wide.resize(static_cast<size_t>(units - 1));
  return wide;
}

std::string Narrow(const wchar_t *name) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow.data(), bytes, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(bytes - 1));
  return narrow;
}

int ModeFlag(StreamKind kind) {
  return kind == kContainerText ? _O_TEXT : _O_BINARY;
}

// Names SystemCreateBeside tries before it gives up.
constexpr unsigned kMostAttempts = 1000;

// 100-nanosecond intervals from 1601 to 1970.
constexpr int64_t kEpochIntervals = 116444736000000000;

bool HandleFacts(HANDLE handle, FileFacts *facts) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  facts->folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts->link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  facts->regular = !facts->folder && GetFileType(handle) == FILE_TYPE_DISK;
  facts->size = facts->regular ? (uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow) : 0;
  facts->device = info.dwVolumeSerialNumber;
  facts->index = uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  facts->mode = 0;
  int64_t written = static_cast<int64_t>(uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 |
                                         info.ftLastWriteTime.dwLowDateTime);
  facts->modified_ns = (written - kEpochIntervals) * 100;
  return true;
}

bool NameFacts(const char *path, bool through_links, FileFacts *facts, int *error) {
  std::wstring wide = Wide(path);
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (through_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE handle =
      CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = ENOENT;
    return false;
  }
  bool known = HandleFacts(handle, facts);
  CloseHandle(handle);
  if (!known) *error = EIO;
  return known;
}

}  // namespace

int SystemOpenInput(const char *path, StreamKind kind, FileFacts *facts, int *error) {
  std::wstring wide = Wide(path);
  FileFacts name_facts;
  // The runtime does not open folders; they are told by their name.
  if (NameFacts(path, true, &name_facts, error) && name_facts.folder) {
    *error = EISDIR;
    return -1;
  }
  int fd = _wopen(wide.c_str(), _O_RDONLY | _O_NOINHERIT | ModeFlag(kind));
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  if (!SystemFacts(fd, facts)) {
    *error = EIO;
    _close(fd);
    return -1;
  }
  return fd;
}

int SystemCreate(const char *path, StreamKind kind, uint32_t, int *error) {
  int fd =
      _wopen(Wide(path).c_str(), _O_WRONLY | _O_NOINHERIT | _O_CREAT | _O_EXCL | ModeFlag(kind),
             _S_IREAD | _S_IWRITE);
  if (fd < 0) *error = errno;
  return fd;
}

int SystemCreateBeside(const char *path, StreamKind kind, uint32_t mode, std::string *name,
                       int *error) {
  const char *end = path;
  for (const char *p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\' || *p == ':') end = p + 1;
  }
  const std::string stem = std::string(path, static_cast<size_t>(end - path)) + ".quillpack-" +
                           std::to_string(GetCurrentProcessId()) + "-";
  for (unsigned attempt = 0;; ++attempt) {
    *name = stem + std::to_string(attempt);
    int fd = SystemCreate(name->c_str(), kind, mode, error);
    if (fd >= 0 || *error != EEXIST || attempt == kMostAttempts) return fd;
  }
}

int SystemOpenExisting(const char *path, StreamKind kind, int *error) {
  int fd = _wopen(Wide(path).c_str(), _O_WRONLY | _O_NOINHERIT | ModeFlag(kind));
  if (fd < 0) *error = errno;
  return fd;
}

bool SystemRename(const char *from, const char *to, int *error) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  *error = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

bool SystemFacts(int fd, FileFacts *facts) {
  auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    // A console or a pipe: no identity to share with any file.
    *facts = FileFacts{false, false, false, 0, ~uint64_t{0}, static_cast<uint64_t>(fd), 0, 0};
    return true;
  }
  return HandleFacts(handle, facts);
}

bool SystemPathFacts(const char *path, FileFacts *facts, int *error) {
  return NameFacts(path, true, facts, error);
}

bool SystemLinkFacts(const char *path, FileFacts *facts, int *error) {
  return NameFacts(path, false, facts, error);
}

void SystemSetStreamKind(int fd, StreamKind kind) {
  _setmode(fd, ModeFlag(kind));
}

int64_t SystemReadFull(int fd, void *dst, size_t count, int *error) {
  auto *bytes = static_cast<uint8_t *>(dst);
  size_t got = 0;
  while (got < count) {
    unsigned ask = static_cast<unsigned>(std::min<size_t>(count - got, 1u << 30));
    int n = _read(fd, bytes + got, ask);
    if (n > 0) {
      got += static_cast<size_t>(n);
    } else if (n == 0) {
      break;
    } else {
      *error = errno;
      return -1;
    }
  }
  return static_cast<int64_t>(got);
}

bool SystemWriteAll(int fd, const void *src, size_t count, int *error) {
  const auto *bytes = static_cast<const uint8_t *>(src);
  while (count > 0) {
    unsigned ask = static_cast<unsigned>(std::min<size_t>(count, 1u << 30));
    int n = _write(fd, bytes, ask);
    if (n <= 0) {
      *error = n < 0 ? errno : ENOSPC;
      return false;
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool SystemCut(int fd, int *error) {
  int failed = _chsize_s(fd, 0);
  if (failed == 0) return true;
  *error = failed;
  return false;
}

void SystemCopyFacts(int fd, const FileFacts &from) {
  auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  int64_t intervals = from.modified_ns / 100 + kEpochIntervals;
  FILETIME written{static_cast<DWORD>(intervals), static_cast<DWORD>(intervals >> 32)};
  if (handle != INVALID_HANDLE_VALUE) SetFileTime(handle, nullptr, nullptr, &written);
}

bool SystemClose(int fd, int *error) {
  if (_close(fd) == 0) return true;
  *error = errno;
  return false;
}

bool SystemRemove(const char *path, int *error) {
  if (_wunlink(Wide(path).c_str()) == 0) return true;
  *error = errno;
  return false;
}

bool SystemListFolder(const char *path, std::vector<std::string> *names, int *error) {
  names->clear();
  std::wstring pattern = Wide(path) + L"\\*";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    *error = GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : ENOENT;
    return *error == 0;
  }
  do {
    if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
    names->push_back(Narrow(found.cFileName));
  } while (FindNextFileW(search, &found));
  bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  if (!complete) {
    *error = EIO;
    return false;
  }
  return true;
}

bool SystemIsTerminal(int fd) {
  return _isatty(fd) != 0;
}

unsigned SystemProcessors() {
  DWORD count = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return count > 0 ? count : 1;
}

}  // namespace quillpack_command
