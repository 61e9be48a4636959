#!/usr/bin/env bash
# Builds everything (Release) into build/ and starts the Plavo window on the bundled example
# drawing. Without a display, it says so and nests the example on the command line instead:
# lists the drawing, nests it and saves the nested layout as build/sample-nested.ai (to cut)
# and build/sample-nested.svg (to view).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/plavo examples/sample.ai
fi

echo "No display available (neither DISPLAY nor WAYLAND_DISPLAY is set): nesting the example" \
  "on the command line instead."
./build/plavo-cli info examples/sample.ai
./build/plavo-cli nest examples/sample.ai --search --seed 1 -o build/sample-nested.ai
./build/plavo-cli nest examples/sample.ai --search --seed 1 -o build/sample-nested.svg
