#!/usr/bin/env bash
# Starts Aevorium on the X display of the environment, waits until its main window
# shows, optionally grabs that window into a PNG, then closes it through
# Fichier > Quitter and checks that the program ends cleanly. Prints the
# window's class (WM_CLASS) and the program's start-up diagnostics (its data
# folder, the size of its data set).
#
# Usage: xvfb-run -a -s "-screen 0 1280x1024x24" tools/run_window.sh [--screenshot FILE] PROGRAM [ARG...]
# Needs xdotool and xprop, and ImageMagick's import for --screenshot.
set -euo pipefail

shot=""
if [ "${1:-}" = "--screenshot" ]; then
  shot=$2
  shift 2
fi
program=$1
shift

export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1
export QT_LOGGING_RULES="aevorium.*.info=true"
# A folder of its own for the single-instance lock: an Aevorium the user runs
# does not take this run for a second instance.
TMPDIR=$(mktemp -d)
export TMPDIR
log="$TMPDIR/program.log"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -rf "$TMPDIR"
}
trap cleanup EXIT
fail() {
  echo "run_window: $*" >&2
  cat "$log" >&2 || true
  exit 1
}

"$program" "$@" 2>"$log" &
pid=$!

# The main window appears once the splash has held for its minimum time.
win=""
for _ in $(seq 300); do
  win=$(xdotool search --onlyvisible --name '^Aevorium v beta 2\.3\.2\.0' 2>/dev/null | head -n 1 || true)
  [ -n "$win" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before its main window showed"
  sleep 0.1
done
[ -n "$win" ] || fail "no main window after 30 s"
sleep 1.5 # its first paint, the 3D view included
# The window's class, which docks match with the desktop entry's StartupWMClass.
echo "window class: $(xprop -id "$win" WM_CLASS | sed 's/^[^=]*= //')"

if [ -n "$shot" ]; then
  import -window "$win" "$shot" || fail "could not grab the main window"
fi

# Fichier > Quitter: a click on the menu, then its first item from the keyboard.
for _ in 1 2 3; do
  xdotool mousemove --window "$win" 20 10 click 1
  sleep 0.5
  xdotool key Down Return
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break 2
    sleep 0.1
  done
done
rc=0
if kill -0 "$pid" 2>/dev/null; then
  fail "the main window did not close through Fichier > Quitter"
fi
wait "$pid" || rc=$?
pid=""
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
cat "$log"
