// The web page's WebAssembly module: what it exports to JavaScript over the coding core.
//
// JavaScript drives one operation at a time per instance. It takes memory for its pieces
// with WebAlloc, writes input there, and reads results where the calls say they are. Every
// call that can fail returns a WebStatus (web_status.h); WebStatusLine gives a failure's line,
// the one the library prints first for the same input.
#pragma once

#include <cstdint>

#include "platform/compiler.h"
#include "web/web_status.h"

namespace quillpack {

// Heap blocks for JavaScript's pieces: null when memory cannot be had. WebFree accepts null.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebAlloc") void *WebAlloc(uint32_t size);
QUILLPACK_WASM_EXPORT("WebFree") void WebFree(void *block);

// Writes the line of `status` (see WebStatusLine) to `line`, a block of kWebLineRoom bytes.
// Returns its length.
QUILLPACK_WASM_EXPORT("WebLine") uint32_t WebLine(WebStatus status, char *line);

struct WebPacker;

// Starts packing an input: the container's text comes out in pieces, exactly the text the
// library writes (line feeds, as on Linux) for the same bytes. Stores the packer in `*packer`
// and returns kWebOk, or kWebMemoryAllocationFailed with nothing held.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebPackBegin") WebStatus WebPackBegin(WebPacker **packer);

// Codes the next `count` bytes of the input in blocks of kBlockSize. Every piece but the last
// must be a whole number of blocks. Replaces the packer's text with the text of the tokens
// coded so far that no earlier call gave. Returns kWebOk, or kWebBufferAllocationFailed, after
// which only WebPackEnd may follow.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebPackCode") WebStatus
    WebPackCode(WebPacker *packer, const uint8_t *bytes, uint32_t count);

// Ends the input: replaces the packer's text with the rest of the container's text (its
// final line feed, or the whole container of an empty input). Returns kWebOk or
// kWebBufferAllocationFailed.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebPackFinish") WebStatus WebPackFinish(WebPacker *packer);

// The text the last WebPackCode or WebPackFinish gave, valid until the next call on `packer`.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebPackText") const char *WebPackText(const WebPacker *packer);
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebPackTextLength") uint32_t
    WebPackTextLength(const WebPacker *packer);

// Releases the packer. Null is accepted and ignored.
QUILLPACK_WASM_EXPORT("WebPackEnd") void WebPackEnd(WebPacker *packer);

struct WebUnpacker;

// Starts restoring a container: its whole text first (WebUnpackRead, then WebUnpackReadEnd),
// then its tokens (WebUnpackRestore), as the library reads a container. Stores the unpacker
// in `*unpacker` and returns kWebOk, or kWebMemoryAllocationFailed with nothing held.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackBegin") WebStatus
    WebUnpackBegin(WebUnpacker **unpacker);

// Decodes the next `count` characters of the container's text. Returns kWebOk, or a failure
// after which only WebUnpackEnd may follow: the container fault of an invalid hex character,
// or kWebInvalidHexData when no memory is left for the tokens.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackRead") WebStatus
    WebUnpackRead(WebUnpacker *unpacker, const uint8_t *text, uint32_t count);

// Ends the text. Returns kWebOk, or the container fault of an incomplete hex pair.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackReadEnd") WebStatus
    WebUnpackReadEnd(WebUnpacker *unpacker);

// Restores the next bytes, at least `budget` of them unless the tokens run out first, and
// makes them the unpacker's bytes (replacing those of the last call). Returns kWebOk when
// tokens are left, kWebDone when every token was replayed, or a failure: the container's
// fault, or kWebWriteDecompressedFailed when no memory is left for the restored bytes.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackRestore") WebStatus
    WebUnpackRestore(WebUnpacker *unpacker, uint32_t budget);

// The bytes the last WebUnpackRestore restored, valid until the next call on `unpacker`.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackBytes") const uint8_t *WebUnpackBytes(
    const WebUnpacker *unpacker);
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackCount") uint32_t
    WebUnpackCount(const WebUnpacker *unpacker);

// How far the restoring has come: token bytes replayed so far, of how many the text held.
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackTokensReplayed") uint32_t
    WebUnpackTokensReplayed(const WebUnpacker *unpacker);
[[nodiscard]] QUILLPACK_WASM_EXPORT("WebUnpackTokens") uint32_t
    WebUnpackTokens(const WebUnpacker *unpacker);

// Releases the unpacker. Null is accepted and ignored.
QUILLPACK_WASM_EXPORT("WebUnpackEnd") void WebUnpackEnd(WebUnpacker *unpacker);

}  // namespace quillpack
