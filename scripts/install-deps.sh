#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev libpugixml-dev libdxflib-dev
  nlohmann-json3-dev libcli11-dev)
# Qt 6 Widgets for the window and its building blocks (QtTest comes with qt6-base-dev), and
# Qt's translations for its own dialog texts in other languages.
packages+=(qt6-base-dev qt6-translations-l10n)
# plavo-cli's manual page from its --help; the Debian package's dependencies (dpkg-shlibdeps).
packages+=(help2man dpkg-dev)
if [ "${1:-}" = "--tests" ]; then
  # Real drawings for the reader tests: LibreCAD's parts library (DXF) and libwacom's tablet
  # layouts (SVG).
  packages+=(ghostscript clang libclang-rt-14-dev librecad-data libwacom-common)
  # The installed menu entry is validated.
  packages+=(desktop-file-utils)
fi
if [ "${1:-}" = "--demo" ]; then
  # Screenshots of the controls demo on a virtual display.
  packages+=(xvfb xauth xdotool imagemagick fonts-dejavu-core)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
