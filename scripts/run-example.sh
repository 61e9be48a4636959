#!/usr/bin/env bash
# Builds the programs (Release) into build/, lists the bundled example drawing, nests it and
# saves the nested layout as build/sample-nested.ai (to cut) and build/sample-nested.svg (to view).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPLAVO_TESTS=OFF
cmake --build build -j"$(nproc)"

./build/plavo-cli info examples/sample.ai
./build/plavo-cli nest examples/sample.ai --search --seed 1 -o build/sample-nested.ai
./build/plavo-cli nest examples/sample.ai --search --seed 1 -o build/sample-nested.svg
