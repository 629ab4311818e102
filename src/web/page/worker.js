// quillpackWorker: the page's worker, which runs one pack or unpack off the page's thread.
//
// The page starts a worker from this function's text and quillpackEngine's, and posts it one
// job: { wasm, op: 'pack' | 'unpack', input }. The worker answers with any number of
// { progress } messages, then { result } or { error }, the library's line.

/* exported quillpackWorker */
function quillpackWorker(scope, createEngine) {
  'use strict';
  scope.onmessage = async (event) => {
    const { wasm, op, input } = event.data;
    try {
      const { instance } = await WebAssembly.instantiate(wasm, {});
      const engine = createEngine(instance);
      let shown = -1;
      const progress = (fraction) => {
        const percent = Math.floor(fraction * 100);
        if (percent !== shown) {
          shown = percent;
          scope.postMessage({ progress: fraction });
        }
      };
      const result = op === 'pack' ? engine.pack(input, progress) : engine.unpack(input, progress);
      scope.postMessage({ result }, typeof result === 'string' ? [] : [result.buffer]);
    } catch (error) {
      scope.postMessage({ error: error.message });
    }
  };
}
