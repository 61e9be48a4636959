#!/usr/bin/env bash
# Builds the programs (Release) into build/ and nests the bundled example drawing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPLAVO_TESTS=OFF
cmake --build build -j"$(nproc)"

./build/plavo-cli info examples/sample.ai
