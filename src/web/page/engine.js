// quillpackEngine: pack and unpack over an instance of quillpack.wasm, a piece at a time.
//
// One function declaration with nothing outside it, so that the same source serves the
// JavaScript module (which wraps it), the page (a classic script) and the page's worker (given
// this function's own text). Its calls are synchronous: they run the module to the end.

/* exported quillpackEngine */
function quillpackEngine(instance) {
  'use strict';
  const exports = instance.exports;
  if (exports._initialize) exports._initialize();

  // Input bytes or text characters per call: a whole number of the coder's 4096-byte blocks.
  const kPiece = 1 << 20;
  // The statuses of web_status.h that JavaScript tells apart; any other is a failure.
  const kOk = 0;
  const kDone = 1;
  const kBufferAllocationFailed = 4;
  const kWriteDecompressedFailed = 6;
  const kLineRoom = 64;

  // The staging block JavaScript writes input to, and room for a handle and a line.
  const piece = exports.WebAlloc(kPiece);
  const handle = exports.WebAlloc(4);
  const line = exports.WebAlloc(kLineRoom);
  if (!piece || !handle || !line) throw new Error('quillpack.wasm: no memory to start with');

  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  // The module's memory as bytes; a new view is needed whenever the memory has grown.
  const memory = () => new Uint8Array(exports.memory.buffer);

  // The Error of a failed call: its message is the library's line for the failure.
  function failure(status) {
    const length = exports.WebLine(status, line);
    return new Error(decoder.decode(memory().subarray(line, line + length)));
  }

  function check(status) {
    if (status !== kOk) throw failure(status);
  }

  // Runs begin(handle) and returns the object it made.
  function begin(beginFunction) {
    check(beginFunction(handle));
    return new Uint32Array(exports.memory.buffer, handle, 1)[0];
  }

  function asBytes(data, what) {
    if (data instanceof Uint8Array) return data;
    if (ArrayBuffer.isView(data)) return new Uint8Array(data.buffer, data.byteOffset, data.byteLength);
    if (data instanceof ArrayBuffer) return new Uint8Array(data);
    throw new TypeError(`${what} must be a Uint8Array, an ArrayBuffer or a view of one`);
  }

  // A string of many pieces joined, or a failure of memory as the library reports it.
  function joinText(parts) {
    try {
      return parts.join('');
    } catch (error) {
      if (error instanceof RangeError) throw failure(kBufferAllocationFailed);
      throw error;
    }
  }

  // The container's text of `data`, exactly as the library writes it on Linux.
  // `progress(fraction)` is called as the work goes on.
  function pack(data, progress) {
    const bytes = asBytes(data, 'pack: the input');
    const packer = begin(exports.WebPackBegin);
    const parts = [];
    const take = (status) => {
      check(status);
      const text = exports.WebPackText(packer);
      parts.push(decoder.decode(memory().subarray(text, text + exports.WebPackTextLength(packer))));
    };
    try {
      for (let at = 0; at < bytes.length; at += kPiece) {
        const count = Math.min(kPiece, bytes.length - at);
        memory().set(bytes.subarray(at, at + count), piece);
        take(exports.WebPackCode(packer, piece, count));
        if (progress) progress((at + count) / bytes.length);
      }
      take(exports.WebPackFinish(packer));
    } finally {
      exports.WebPackEnd(packer);
    }
    return joinText(parts);
  }

  // Hands the container's text to the unpacker: a string as its UTF-8 bytes (what a file of
  // it holds), bytes as they are.
  function readText(unpacker, container, progress) {
    if (typeof container === 'string') {
      // A character takes at most 3 bytes; a surrogate pair (4 bytes) is never split.
      const most = Math.floor(kPiece / 3);
      for (let at = 0; at < container.length;) {
        let end = Math.min(container.length, at + most);
        const last = container.charCodeAt(end - 1);
        if (end < container.length && last >= 0xd800 && last <= 0xdbff) end -= 1;
        const target = memory().subarray(piece, piece + kPiece);
        const { written } = encoder.encodeInto(container.substring(at, end), target);
        check(exports.WebUnpackRead(unpacker, piece, written));
        at = end;
        if (progress) progress(at / container.length / 2);
      }
    } else {
      const bytes = asBytes(container, 'unpack: the container');
      for (let at = 0; at < bytes.length; at += kPiece) {
        const count = Math.min(kPiece, bytes.length - at);
        memory().set(bytes.subarray(at, at + count), piece);
        check(exports.WebUnpackRead(unpacker, piece, count));
        if (progress) progress((at + count) / bytes.length / 2);
      }
    }
    check(exports.WebUnpackReadEnd(unpacker));
  }

  // The bytes a container restores to. Reads the whole text first, as the library does, so
  // a fault of the text is found before any fault of the tokens it holds.
  function unpack(container, progress) {
    const unpacker = begin(exports.WebUnpackBegin);
    const parts = [];
    let total = 0;
    try {
      readText(unpacker, container, progress);
      for (;;) {
        const status = exports.WebUnpackRestore(unpacker, kPiece);
        if (status !== kOk && status !== kDone) throw failure(status);
        const bytes = exports.WebUnpackBytes(unpacker);
        const count = exports.WebUnpackCount(unpacker);
        parts.push(memory().slice(bytes, bytes + count));
        total += count;
        if (status === kDone) break;
        if (progress) {
          const tokens = exports.WebUnpackTokens(unpacker);
          progress(0.5 + exports.WebUnpackTokensReplayed(unpacker) / tokens / 2);
        }
      }
    } catch (error) {
      if (error instanceof RangeError) throw failure(kWriteDecompressedFailed);
      throw error;
    } finally {
      exports.WebUnpackEnd(unpacker);
    }
    if (parts.length === 1) return parts[0];
    let restored;
    try {
      restored = new Uint8Array(total);
    } catch (error) {
      if (error instanceof RangeError) throw failure(kWriteDecompressedFailed);
      throw error;
    }
    let at = 0;
    for (const part of parts) {
      restored.set(part, at);
      at += part.length;
    }
    return restored;
  }

  return { pack, unpack };
}
