#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(cmake g++ make libgtest-dev libbenchmark-dev)
# Qt 6 Widgets for the window and its building blocks (QtTest comes with qt6-base-dev).
packages+=(qt6-base-dev)
if [ "${1:-}" = "--tests" ]; then
  packages+=(ghostscript clang libclang-rt-14-dev)
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
