// The JavaScript module's exports: the build makes quillpack.mjs of engine.js and this file.
//
//   import { pack, unpack } from './quillpack.mjs';
//   const text = await pack(bytes);      // the container's text, as the library writes it
//   const bytes = await unpack(text);    // a string or bytes; rejects with the library's line
//
// quillpack.wasm is loaded from beside this file once, on the first call: from the file
// system in Node, with fetch in a browser.

let loading = null;

async function loadEngine() {
  const url = new URL('./quillpack.wasm', import.meta.url);
  let wasm;
  if (url.protocol === 'file:' && globalThis.process?.versions?.node) {
    const { readFile } = await import('node:fs/promises');
    wasm = await readFile(url);
  } else {
    const response = await fetch(url);
    if (!response.ok) throw new Error(`quillpack: cannot load ${url}: ${response.status}`);
    wasm = await response.arrayBuffer();
  }
  const { instance } = await WebAssembly.instantiate(wasm, {});
  return quillpackEngine(instance);
}

// The engine, loaded on first use; a load that failed is tried again on the next call.
function engine() {
  if (loading === null) {
    loading = loadEngine().catch((error) => {
      loading = null;
      throw error;
    });
  }
  return loading;
}

// Resolves to the container's text of `bytes` (a Uint8Array, an ArrayBuffer or a view of
// one): byte for byte what the library writes on Linux for a file of those bytes.
export async function pack(bytes) {
  return (await engine()).pack(bytes);
}

// Resolves to the bytes `container` restores to: its text as a string (read as UTF-8, what a
// file of it holds) or as bytes. Rejects with an Error whose message is the first line the
// library prints for that container, such as "Error: Invalid hex character".
export async function unpack(container) {
  return (await engine()).unpack(container);
}
