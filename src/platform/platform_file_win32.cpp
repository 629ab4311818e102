// File services stdio lacks, on Windows: cutting a file, file identity, stream locks.
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include "platform/assertion.h"
#include "platform/fault_state.h"
#include "platform/platform.h"
#include "platform/stream_lock.h"

namespace quillpack {

PlatformFile *PlatformOpen(const char *path, const char *mode) {
  QUILLPACK_ASSERT(mode != nullptr);
  if (path == nullptr) return nullptr;
  if (mode[0] == 'w') FaultBeforeOpenForWriting(path);
  return std::fopen(path, mode);
}

bool PlatformTruncate(PlatformFile *file, uint64_t length) {
  QUILLPACK_ASSERT(file != nullptr);
  // Nothing is buffered, so the file's size is what every write delivered.
  int fd = _fileno(file);
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) return false;
  if ((st.st_mode & _S_IFMT) != _S_IFREG) return true;
  if (static_cast<uint64_t>(st.st_size) <= length) return true;
  return _chsize_s(fd, static_cast<__int64>(length)) == 0;
}

// The volume serial number and the file index of both handles.
bool PlatformSameFile(PlatformFile *file, const char *path) {
  QUILLPACK_ASSERT(file != nullptr);
  if (path == nullptr) return false;
  auto open_handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (open_handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION open_info;
  if (!GetFileInformationByHandle(open_handle, &open_info)) return false;
  // Opening for no access at all still yields the identity; the share flags let the open
  // succeed whatever the stream already holds, and the backup flag admits directories.
  HANDLE path_handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (path_handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION path_info;
  bool examined = GetFileInformationByHandle(path_handle, &path_info) != 0;
  CloseHandle(path_handle);
  return examined && open_info.dwVolumeSerialNumber == path_info.dwVolumeSerialNumber &&
         open_info.nFileIndexHigh == path_info.nFileIndexHigh &&
         open_info.nFileIndexLow == path_info.nFileIndexLow;
}

void PlatformLockStream(std::FILE *stream) {
  _lock_file(stream);
}

void PlatformUnlockStream(std::FILE *stream) {
  _unlock_file(stream);
}

}  // namespace quillpack
