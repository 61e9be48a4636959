#!/usr/bin/env bash
# Builds the Debian package of BUILD_DIR into a temporary folder and checks that it holds the
# programs and depends on the Qt and drawing libraries they link.
#   bash scripts/check-package.sh BUILD_DIR
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb="$(ls "$out"/plavo_*.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libpugixml1v5 libdxflib; do
  [[ "$depends" == *"$lib"* ]] || { echo "Depends lacks $lib: $depends"; exit 1; }
done
contents="$(dpkg-deb -c "$deb")"
for f in ./usr/bin/plavo ./usr/bin/plavo-cli ./usr/share/applications/plavo.desktop; do
  grep -q " $f\$" <<<"$contents" || { echo "the package lacks $f"; exit 1; }
done
echo "built $(basename "$deb")"
