#!/usr/bin/env bash
# Builds the web page (scripts/build-web.sh) and compares packing through its module in Node
# with the library's own; arguments go to bench/web_speed.mjs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-web.sh >/dev/null
exec node bench/web_speed.mjs "$@"
