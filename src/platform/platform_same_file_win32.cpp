// File identity on Windows: the volume serial number and the file index of both handles.
#include <io.h>
#include <windows.h>

#include "platform/platform.h"

namespace quillpack {

bool PlatformSameFile(PlatformFile *file, const char *path) {
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

}  // namespace quillpack
