#!/usr/bin/env bash
# Pictures of the real program under a virtual X server with a small window
# manager (so that "maximised" means what it does on a desktop): the main window at
# its default size, maximised, in a dark palette and at scale factor 2, over
# a generated store of a few hundred contacts; then the pictures the widget
# tests save of their windows and dialogs. Everything lands in
# build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh xvfb xauth imagemagick openbox
scripts/build.sh test
build=build/test
out=$PWD/build/screenshots
rm -rf "$out"
mkdir -p "$out"

work=$(mktemp -d "$PWD/build/pictures-run.XXXXXX")
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of its own, with a screen larger than the default window even
# at scale factor 2.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1700x1100x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
export DISPLAY=$display
HOME=$work openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
sleep 1
export QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=detect_leaks=0
export TOLVA_NO_MESSAGE_BOXES=1

# One run of the program in fresh folders: $1 the picture's name, then
# environment assignments. The store is made anew each time.
shoot() {
  local name=$1
  shift
  local home=$work/$name
  mkdir -p "$home/data" "$home/config" "$home/runtime"
  chmod 700 "$home/runtime"
  XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
    "$build/tests/tools/tolva_makestore" "$home/data/Tolva" 300 >/dev/null
  if [ -n "${MAXIMIZE:-}" ]; then
    # "Flags1" of the main window with "maximise at start" set.
    printf '[UserMan]\nMainWnd\\Flags1=1979\n' >>"$home/config/Vexa+/Tolva.ini"
  fi
  if [ -n "${DARK:-}" ]; then
    cat >"$home/config/kdeglobals" <<'KDE'
[Colors:Window]
BackgroundNormal=45,45,48
ForegroundNormal=220,220,220
[Colors:View]
BackgroundNormal=30,30,32
ForegroundNormal=230,230,230
BackgroundAlternate=40,40,44
[Colors:Button]
BackgroundNormal=60,60,64
ForegroundNormal=230,230,230
[Colors:Selection]
BackgroundNormal=42,110,190
ForegroundNormal=255,255,255
[Colors:Tooltip]
BackgroundNormal=60,60,64
ForegroundNormal=230,230,230
KDE
  fi
  env XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" "$@" \
    "$build/SOURCE/app/tolva" >"$home/log" 2>&1 &
  local pid=$!
  sleep 4
  import -window root "$work/$name-screen.png"
  # The window is at the top left; keep what it covers.
  convert "$work/$name-screen.png" -trim +repage "$out/$name.png" 2>/dev/null \
    || cp "$work/$name-screen.png" "$out/$name.png"
  kill -TERM "$pid"
  wait "$pid" || true
  echo "saved $out/$name.png"
}

shoot mainwindow-light
MAXIMIZE=1 shoot mainwindow-maximized-light
DARK=1 shoot mainwindow-dark XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true
shoot mainwindow-light-x2 QT_SCALE_FACTOR=2

# The windows and dialogs the widget tests save.
export QT_QPA_PLATFORM=offscreen
export TOLVA_PICTURE_DIR=$out
export TOLVA_TEST_DATA=$PWD/tests/data
for program in "$build"/tests/*/test_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  "$program" --gtest_brief=1 >/dev/null 2>&1 || echo "warning: $program failed" >&2
done
echo "pictures in $out"
