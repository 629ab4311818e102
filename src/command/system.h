// The command's view of the operating system: files by descriptor, folders, terminals and
// processors. Paths are UTF-8; one file per system implements this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillpack_command {

// What a path or an open file is, and which file it is: two names or descriptors with the
// same identity are one file, however each was spelled (links, case, short names).
struct FileFacts {
  bool regular;
  bool folder;
  bool link;        // the name itself is a symbolic link (only from SystemLinkFacts)
  uint64_t size;    // bytes, for a regular file
  uint64_t device;  // with `index`, the file's identity
  uint64_t index;
  uint32_t mode;        // permission bits (POSIX)
  int64_t modified_ns;  // time of last change, nanoseconds since 1970
};

// The standard descriptors.
constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

// What a stream of bytes carries: the container's text (in Windows' text mode, as the
// library's streams are: CR LF line ends, and a Ctrl-Z read as the end) or raw bytes.
enum StreamKind { kRawBytes, kContainerText };

// Opens `path` for reading as `kind`. Returns the descriptor (above 2) and its facts, or -1
// with the system's error number in `*error`.
[[nodiscard]] int SystemOpenInput(const char *path, StreamKind kind, FileFacts *facts, int *error);

// Creates the file `path` and opens it for writing as `kind`, with `mode`'s permission bits.
// Returns the descriptor (above 2), or -1 with `*error`: EEXIST when the name exists, whatever
// it names (a link is never followed).
[[nodiscard]] int SystemCreate(const char *path, StreamKind kind, uint32_t mode, int *error);

// Creates a new file in the folder of `path`, under a name of its own returned in `*name`, as
// SystemCreate does: the file that is to take the name `path` once it is complete.
[[nodiscard]] int SystemCreateBeside(const char *path, StreamKind kind, uint32_t mode,
                                     std::string *name, int *error);

// Opens the existing `path` for writing as `kind`, as it is (through a link): nothing is
// created or cut. Returns the descriptor (above 2), or -1 with `*error`.
[[nodiscard]] int SystemOpenExisting(const char *path, StreamKind kind, int *error);

// Cuts the open regular file `fd` to no bytes. False with `*error`.
[[nodiscard]] bool SystemCut(int fd, int *error);

// Gives the file `from` the name `to`, in one step, replacing what `to` named (the name: a
// link there is replaced, not followed). False with `*error`, both names as they were.
[[nodiscard]] bool SystemRename(const char *from, const char *to, int *error);

// The facts of the open file `fd`; false when it cannot be examined.
[[nodiscard]] bool SystemFacts(int fd, FileFacts *facts);

// The facts of `path`, through a symbolic link (SystemPathFacts) or of the link itself
// (SystemLinkFacts). False with `*error` when the path names nothing that can be examined.
[[nodiscard]] bool SystemPathFacts(const char *path, FileFacts *facts, int *error);
[[nodiscard]] bool SystemLinkFacts(const char *path, FileFacts *facts, int *error);

// Sets the standard descriptor `fd` to carry `kind` (Windows' text or binary mode; nothing
// elsewhere).
void SystemSetStreamKind(int fd, StreamKind kind);

// Reads until `count` bytes arrived or the input ended, retrying interrupted reads. Returns
// the bytes read (fewer only at the end), or -1 with `*error`.
[[nodiscard]] int64_t SystemReadFull(int fd, void *dst, size_t count, int *error);

// Writes all `count` bytes, retrying short and interrupted writes. False with `*error`.
[[nodiscard]] bool SystemWriteAll(int fd, const void *src, size_t count, int *error);

// Gives the open output `fd` the permission bits and modification time of `from` (where the
// system keeps them); failures are not reported, as the bytes are what matters.
void SystemCopyFacts(int fd, const FileFacts &from);

// Closes `fd`. False with `*error` when the system reports that written bytes were lost.
[[nodiscard]] bool SystemClose(int fd, int *error);

// Removes the file `path`. False with `*error`.
[[nodiscard]] bool SystemRemove(const char *path, int *error);

// The names in folder `path` but "." and "..", in no particular order. False with `*error`.
[[nodiscard]] bool SystemListFolder(const char *path, std::vector<std::string> *names, int *error);

// True when `fd` is a terminal.
[[nodiscard]] bool SystemIsTerminal(int fd);

// Processors online, at least 1.
[[nodiscard]] unsigned SystemProcessors();

}  // namespace quillpack_command
