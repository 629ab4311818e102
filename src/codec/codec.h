// The two file operations: a file to a container, and a container back to the file.
#pragma once

namespace quillpack {

// Compresses the file at `input_path` into a container at `output_path`. Returns 0 when the
// container was written completely; 1 on any failure, after one or two "Error: " lines on
// standard error. On success prints "Compression successful: 'IN' -> 'OUT'" on standard
// output. Null paths count as paths that cannot be opened. The input is never modified;
// the output, once opened, holds at most the text written before a failure.
[[nodiscard]] int CompressFile(const char *input_path, const char *output_path);

// Restores the file held in the container at `input_path` to `output_path`. Returns 0 when
// every token was replayed and written; 1 on any failure, after its "Error: " lines. On
// success prints "Decompression successful: 'IN' -> 'OUT'". After a failure in replay, the
// output holds the whole 4096-byte blocks written before it and nothing more, even when the
// system took part of the failing block (a full disk, a file-size limit); only an output
// that cannot be cut (a pipe, a device) keeps what reached it, which is still the file's own
// bytes. After an earlier failure the output, once opened, is empty.
[[nodiscard]] int DecompressFile(const char *input_path, const char *output_path);

}  // namespace quillpack
