#!/usr/bin/env bash
# Installs the build in BUILD_DIR into a temporary folder and checks what lands there: the
# programs run (--version, a nest of the installed example), the menu entry validates, and the
# icon, the language files and the manual pages are in place.
#   bash scripts/check-install.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"
for f in bin/plavo bin/plavo-cli share/applications/plavo.desktop \
  share/icons/hicolor/scalable/apps/plavo.svg share/plavo/translations/German.ini \
  share/plavo/examples/sample.ai share/man/man1/plavo.1 share/man/man1/plavo-cli.1; do
  [ -e "$usr/$f" ] || { echo "missing: $f"; exit 1; }
done

[ "$("$usr/bin/plavo-cli" --version)" = "plavo-cli $version" ] || {
  echo "plavo-cli --version says: $("$usr/bin/plavo-cli" --version)"
  exit 1
}
"$usr/bin/plavo-cli" nest "$usr/share/plavo/examples/sample.ai" -o "$root/out.dxf" >/dev/null
grep -q "SHEET_OUTLINES" "$root/out.dxf"
grep -q 'sheet\\-files' "$usr/share/man/man1/plavo-cli.1"  # made from --help

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$usr/share/applications/plavo.desktop"
elif [ -n "${CI:-}" ]; then
  echo "desktop-file-validate is missing on CI"
  exit 1
fi
echo "installed and checked"
