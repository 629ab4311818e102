/* Quillpack: compresses a file into a plain-text container and restores it.
 *
 * A container holds the file's LZ77 token stream as uppercase hexadecimal text in lines of
 * 80 characters. The library keeps no state and has no configuration; both functions may
 * be called any number of times, in any order, from any number of threads at once (each
 * call on its own files).
 *
 * Paths are NUL-terminated UTF-16 strings; a null pointer is an absent path, which fails
 * to open. The return value carries no outcome: both functions always return 999. The
 * outcome is reported only through
 *   - message lines: on failure one or two lines beginning "Error: " on standard error;
 *     on success one line on standard output, "Compression successful: 'IN' -> 'OUT'" or
 *     "Decompression successful: 'IN' -> 'OUT'";
 *   - the output file: complete after a success; after a failure it is never deleted and
 *     holds at most what was written before the failure.
 * A call whose output path names its input file (through any link) is refused before the
 * input can be harmed.
 */
#ifndef QUILLPACK_H
#define QUILLPACK_H

#include <stdint.h>

#if defined(_WIN32)
#include <wchar.h>
/* On Windows wchar_t is a 16-bit UTF-16 code unit. */
typedef wchar_t QuillpackChar;
#elif defined(__cplusplus)
typedef char16_t QuillpackChar;
#else
#include <uchar.h>
typedef char16_t QuillpackChar; /* uint_least16_t */
#endif

#if defined(_WIN32)
#define QUILLPACK_API
#elif defined(QUILLPACK_BUILDING)
#define QUILLPACK_API __attribute__((visibility("default")))
#else
#define QUILLPACK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Compresses the file at input_path into a container file at output_path (created or
 * truncated). By convention the container is named after the file with ".qpk" appended.
 * Returns 999. */
QUILLPACK_API int32_t Quillpack(const QuillpackChar *input_path, const QuillpackChar *output_path);

/* Restores the file held in the container at input_path to output_path (created or
 * truncated). Returns 999. */
QUILLPACK_API int32_t Quillunpack(const QuillpackChar *input_path,
                                  const QuillpackChar *output_path);

#ifdef __cplusplus
}
#endif

#endif /* QUILLPACK_H */
