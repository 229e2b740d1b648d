#!/usr/bin/env bash
# Starts Aevorium as a screen reader meets it: on an X display of its own, on a
# session bus of its own with the accessibility bus, Qt's AT-SPI bridge on.
# The AT-SPI client (atspi_client.py) starts the program, drives it with keys
# and checks what it reads and hears; it prints what it read.
#
# Usage: run_atspi_test.sh PROGRAM
# Needs xvfb-run, dbus-run-session, at-spi2-core, xdotool and Debian's Python
# with gi and the Atspi typelib (python3-gi, gir1.2-atspi-2.0).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" --inside "$@"
fi
shift
program=$1

# Folders of its own: the single-instance lock of an Aevorium the user runs is
# not this one's, and the fake document opener below lives there.
TMPDIR=$(mktemp -d)
XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
export TMPDIR XDG_RUNTIME_DIR
launcher=""
cleanup() {
  if [ -n "$launcher" ]; then kill "$launcher" 2>/dev/null || true; fi
  rm -rf "$TMPDIR" "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

# The globe buttons open documents through xdg-open: here it only writes down
# what it was asked to open.
mkdir "$TMPDIR/bin"
cat >"$TMPDIR/bin/xdg-open" <<EOF
#!/bin/sh
echo "\$1" >>"$TMPDIR/opened.txt"
EOF
chmod +x "$TMPDIR/bin/xdg-open"
export PATH="$TMPDIR/bin:$PATH" AEV_OPENED_LOG="$TMPDIR/opened.txt"

launcher_bin=""
for f in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  [ -x "$f" ] && launcher_bin=$f && break
done
[ -n "$launcher_bin" ] || { echo "at-spi-bus-launcher not found" >&2; exit 1; }
"$launcher_bin" --launch-immediately 2>/dev/null &
launcher=$!

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1
exec /usr/bin/python3 "$here/atspi_client.py" "$program"
