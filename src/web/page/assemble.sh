#!/usr/bin/env bash
# Assembles the web page in OUT_DIR from this folder and the built module:
#   index.html, page.css, page.js, engine.js, worker.js  the page, as written here;
#   quillpack.wasm                                       the coding core;
#   quillpack-wasm.js                                    its bytes for the page, which, opened
#                                                        from a file, may fetch nothing;
#   quillpack.mjs                                        the JavaScript module: engine.js, then
#                                                        module.js.
# Usage: assemble.sh OUT_DIR WASM_FILE
set -euo pipefail
out=$1
wasm=$2
page=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
cp "$page/index.html" "$page/page.css" "$page/page.js" "$page/engine.js" "$page/worker.js" "$out/"
cp "$wasm" "$out/quillpack.wasm"
cat "$page/engine.js" "$page/module.js" >"$out/quillpack.mjs"
{
  echo '// quillpack.wasm as base64, made by the build from the module beside this file.'
  echo '/* exported quillpackWasmBase64 */'
  echo "const quillpackWasmBase64 = '$(base64 -w0 "$wasm")';"
} >"$out/quillpack-wasm.js"
