#!/usr/bin/env bash
# Photographs the Plavo window on a virtual display: opens a drawing, presses Apply, waits for
# the run and saves the screen as a PNG.
# Usage: scripts/window-screenshot.sh DRAWING OUTPUT.png [SECONDS] [KEY=VALUE ...]
#   SECONDS    how long the run may take before the picture is taken (default 5)
#   KEY=VALUE  settings of the window's controls for this run, by control name
#              (e.g. Media_Height=10000 Distance=1 Rotate_90=1)
# SCREEN=WIDTHxHEIGHT sets the virtual screen (default 1280x720); LANGUAGE_FILE=FILE shows the
# window in that language (e.g. translations/German.ini). The window runs from a copy of the
# program with its own ini folder, so the presets of build/ini are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."

# Runs on the virtual display: $1 program, $2 drawing, $3 output, $4 seconds.
session() {
  "$1" "$2" &
  local pid=$!
  sleep 3
  # Apply by its shortcut, Ctrl+Return.
  local window X Y WIDTH HEIGHT SCREEN WINDOW
  window="$(xdotool search --onlyvisible --name '^Plavo' | head -1)"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool windowfocus --sync "$window" key ctrl+Return
  sleep "$4"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$3"
  kill "$pid"
}
if [ "${1:-}" = "--session" ]; then
  session "$2" "$3" "$4" "$5"
  exit 0
fi

drawing="$(realpath "$1")"
output="$(realpath -m "$2")"
seconds="${3:-5}"
shift 2
[ $# -gt 0 ] && shift
bash scripts/install-deps.sh --demo
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$(nproc)" --target plavo > /dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp build/plavo "$work/"
mkdir -p "$work/ini"
{
  echo "[Screenshot]"
  for setting in "$@"; do echo "$setting"; done
} > "$work/ini/preset.ini"
[ -n "${LANGUAGE_FILE:-}" ] && cp "$LANGUAGE_FILE" "$work/ini/Language.ini"
mkdir -p "$(dirname "$output")"
xvfb-run -a -s "-screen 0 ${SCREEN:-1280x720}x24" bash "$0" --session "$work/plavo" "$drawing" \
  "$output" "$seconds"
echo "Screenshot: $output"
