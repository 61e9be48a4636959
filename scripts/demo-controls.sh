#!/usr/bin/env bash
# Builds the controls demo and photographs it on a virtual display: first as it starts, then
# in German with a shape picked, the units set to inches and the view zoomed in.
# Usage: scripts/demo-controls.sh [OUTPUT_FOLDER]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."

# Runs on the virtual display: $1 output folder.
session() {
  local out="$1"
  ./build/plavo-demo-controls &
  local pid=$!
  sleep 3
  import -window root "$out/demo-english.png"
  kill "$pid"

  ./build/plavo-demo-controls --lang translations/German.ini &
  pid=$!
  sleep 3
  xdotool mousemove 75 240 click 1    # on the outline of a shape: picked, drawn bold
  sleep 0.5
  xdotool mousemove 895 293 click 1   # the units list: third item (inch)
  sleep 0.5
  xdotool key Down Down Return
  sleep 0.5
  import -window root "$out/demo-german-inch.png"
  xdotool mousemove 330 300 click 4 click 4   # wheel in twice
  sleep 0.5
  import -window root "$out/demo-zoomed.png"
  kill "$pid"
}
if [ "${1:-}" = "--session" ]; then
  session "$2"
  exit 0
fi

out="${1:-build/screenshots}"
bash scripts/install-deps.sh --demo
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target plavo-demo-controls
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1000x600x24" bash "$0" --session "$out"
echo "Screenshots in $out"
