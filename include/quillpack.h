/* Quillpack: compresses a file into a plain-text container and restores it.
 *
 * A container holds the file's LZ77 token stream as uppercase hexadecimal text in lines of
 * 80 characters. It is text, and usually larger than its input: a byte stored as a literal
 * takes four characters. It carries no checksum: a changed digit can restore wrong bytes and
 * still report success. The library keeps no state and has no configuration; both functions
 * may be called any number of times, in any order, from any number of threads at once (each
 * call on its own files).
 *
 * Paths are NUL-terminated UTF-16 strings; a null pointer is an absent path, which fails to
 * open. They are converted to the form the system opens (UTF-8 on POSIX systems, the ANSI
 * code page on Windows) exactly or not at all: a path that cannot be converted, such as one
 * with a character the code page lacks or a lone surrogate, becomes the empty path and fails
 * to open. A call whose output path names its input file (through any link, even one
 * swapped in while the call runs) is refused before the input can be harmed: the output is
 * opened without being cut, compared with the open input, and cut only then. An output that
 * cannot be opened is left as it was.
 *
 * The return value carries no outcome: both functions always return 999. The outcome is
 * reported only through the output file and the message lines. A success prints exactly one
 * line on standard output:
 *   Compression successful: 'IN' -> 'OUT'        Decompression successful: 'IN' -> 'OUT'
 * A failure prints no success line and one or two of these lines on standard error:
 *   Error: Cannot open input file 'IN'           Error: Cannot open output file 'OUT'
 *   Error: Input and output are the same file 'IN'
 *   Error: Failed to read input file 'IN'        Error: Memory allocation failed
 *   Error: Buffer allocation failed              Error: Failed to encode compressed data
 *   Error: Invalid hex character, Error: Incomplete hex pair or Error: Failed to read hex
 *     data, each followed by Error: Invalid Hex data (which also comes alone when memory
 *     runs out while the container is read)
 *   Error: Invalid compressed file format        Error: Invalid match distance
 *   Error: Unexpected end of file reading literal
 *   Error: Unexpected end of file reading match  Error: Invalid token type: 0xNN
 *   Error: Failed to write decompressed data
 * A path is shown in its converted form between single quotes: "(null)" for an absent path,
 * nothing ('') for one that could not be converted, and each control character in it (C0,
 * DEL and C1) and each line or paragraph separator (U+2028, U+2029) as one '?', so a path
 * can never begin a line of its own. Each line has reached its descriptor (1 or 2, the C
 * runtime's on Windows) when the call returns: the stream is flushed, then the line written
 * straight to the descriptor. After a failure the output file is never deleted and holds at
 * most what was written before it.
 *
 * Files and signals: the files a call opens are not inherited by processes the host starts
 * (closed on exec; non-inheritable handles on Windows) and never take descriptors 0 to 2. A
 * system call that a signal interrupts is made again. On POSIX systems a call blocks SIGPIPE
 * and SIGXFSZ on the calling thread, never touching dispositions, so that a write to a pipe
 * whose reader has gone, or past the file size limit, fails like any other write; it takes
 * back one such signal only when one of its own writes failed for that reason (EPIPE,
 * EFBIG), from the thread's own pending signals on Linux (POSIX lets a system take a signal
 * pending for the whole process first; the host is then still left with one). Every other
 * one reaches the host once the call returns: one sent meanwhile, and one pending before.
 * Where the thread already had the same signal pending before the call and the call's write
 * raised it again, the two are one signal (signals of one kind do not queue): it is left
 * pending for the host, which thus never loses one. Windows raises no such signals.
 *
 * Memory and limits: a call holds the whole token stream in memory, which for incompressible
 * data is twice the input; the token stream of one call is limited to 2^31 bytes, so the
 * largest input is about 1 GiB of incompressible data (README.md has the details).
 *
 * Needs C11 (char16_t from <uchar.h>) or C++11. On 32-bit x86 Windows both functions use the
 * __cdecl convention (QUILLPACK_CALL) whatever the including program's default. Their
 * exported names are undecorated ("Quillpack", "Quillunpack") in every build.
 */
#ifndef QUILLPACK_H
#define QUILLPACK_H

#include <stdint.h>

/* char16_t needs C11 or C++11 (Windows builds use wchar_t instead). */
#if !defined(_WIN32) && defined(__cplusplus) && __cplusplus < 201103L
#error "quillpack.h needs C++11 or later"
#elif !defined(_WIN32) && !defined(__cplusplus) && \
    (!defined(__STDC_VERSION__) || __STDC_VERSION__ < 201112L)
#error "quillpack.h needs C11 or later"
#endif

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

/* The calling convention of both functions: stated on 32-bit x86 Windows, where a host may
 * be built with another default (/Gz, /Gr, -mrtd); a function pointer that a host fills
 * from GetProcAddress must carry it too. Empty where the platform has one convention. */
#if defined(_WIN32) && (defined(_M_IX86) || defined(__i386__))
#define QUILLPACK_CALL __cdecl
#else
#define QUILLPACK_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Compresses the file at input_path into a container file at output_path (created or
 * truncated). By convention the container is named after the file with ".qpk" appended.
 * Returns 999. */
QUILLPACK_API int32_t QUILLPACK_CALL Quillpack(const QuillpackChar *input_path,
                                               const QuillpackChar *output_path);

/* Restores the file held in the container at input_path to output_path (created or
 * truncated). Returns 999. */
QUILLPACK_API int32_t QUILLPACK_CALL Quillunpack(const QuillpackChar *input_path,
                                                 const QuillpackChar *output_path);

#ifdef __cplusplus
}
#endif

#endif /* QUILLPACK_H */
