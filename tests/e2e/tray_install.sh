#!/bin/sh
# Installs the build into a staging folder and checks that desktop menus and trays find
# the program under its own name and picture: the client, its desktop entry naming the
# installed command and icon, and the icon in the icon theme's folder.
# Usage: tray_install.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
for program in app/mirevo tools/mirevo-msg tools/mirevo-server; do
  if [ ! -x "$build/$program" ]; then
    echo "SKIP: $program is not built (the install needs the whole build)" >&2
    exit 77
  fi
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
fail() { echo "FAIL: $*" >&2; exit 1; }
entry="$stage/usr/share/applications/mirevo.desktop"
[ -x "$stage/usr/bin/mirevo" ] || fail "no usr/bin/mirevo"
[ -f "$entry" ] || fail "no desktop entry"
grep -qx 'Type=Application' "$entry" || fail "entry is not an application"
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$stage/usr/bin/$command" ] || fail "entry runs '$command', which is not installed"
icon=$(sed -n 's/^Icon=//p' "$entry")
installed="$stage/usr/share/icons/hicolor/scalable/apps/$icon.svg"
[ -f "$installed" ] || fail "entry names icon '$icon', which is not installed"
cmp -s "$installed" "$source/resources/icons/mainicon.svg" || fail "installed icon is not the application's"
echo "PASS: client, desktop entry and icon installed"
