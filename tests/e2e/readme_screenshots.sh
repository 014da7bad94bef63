#!/usr/bin/env bash
# The pictures of the README, taken from the real window: a beat composed on
# every track as a user composes it, in song mode, once in the NOTE tab and
# once with the help shown. The test checks that the composed steps show their
# pictures; with TESSALOOP_DOCS_DIR set (make docs) it also copies the
# screenshot there as editor-<program>.png.
#
# usage: readme_screenshots.sh SOURCE_DIR PACER PROGRAM TRACKS

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3
TRACKS=$4

e2e_require Xvfb xdotool /usr/bin/import /usr/bin/convert
e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
e2e_start_xvfb
e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER
WID=$(timeout 20 xdotool search --sync --name '^Tessaloop$' 2>/dev/null | head -n 1)
[ -n "$WID" ] || e2e_fail "no window titled Tessaloop"
e2e_wait_for_log '^DirectInput Mouse SetCooperativeLevel established$' 20
sleep 1

PX=0
PY=0
move_to() {
  xdotool mousemove_relative -- $(($1 - PX)) $(($2 - PY))
  PX=$1
  PY=$2
  sleep 0.12
}
press() { xdotool mousedown 1; sleep 0.12; }
release() { xdotool mouseup 1; sleep 0.12; }
hold_key() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep 0.12; }
cell_x() { echo $(($1 * 64 + 32)); }
cell_y() { echo $(($1 * 64 + 56)); }

# Drops palette square $1 on track $2 at each of the steps that follow.
drop() {
  local square=$1 track=$2 step
  shift 2
  for step in "$@"; do
    move_to $((square * 64 + 32)) 632
    press
    move_to "$(cell_x "$step")" "$(cell_y "$track")"
    release
  done
}

# A kick-like low note, a hat-like noise, a bass line and, on the six-track
# program, a few more voices.
drop 15 0 0 4 8 12
drop 9 1 2 6 10 14
drop 10 2 0 3 6 8 11 14
if [ "$TRACKS" = 6 ]; then
  drop 6 3 0 8
  drop 11 4 4 12
  drop 13 5 2 5 10 13
fi
# Notes on track 3: hover each step and press a note key; octave 2.
for step in 0 3 6 8 11 14; do
  move_to "$(cell_x "$step")" "$(cell_y 2)"
  hold_key 2
  hold_key $(echo z v c b x n | cut -d' ' -f$(((step % 6) + 1)))
done
move_to 55 677
press
release
move_to 560 560
sleep 1

if [ "$TRACKS" = 6 ]; then
  xdotool keydown F1
  sleep 0.4
  e2e_screenshot readme
  xdotool keyup F1
else
  e2e_screenshot readme
fi

# The composed steps show their pictures: not white at their centres.
for check in "0 0" "1 2" "2 3"; do
  set -- $check
  pixel=$(e2e_pixel readme "$(cell_x "$2")" "$(cell_y "$1")")
  e2e_is_white "$pixel" && e2e_fail "track $1, step $2 shows nothing"
done
if [ -n "${TESSALOOP_DOCS_DIR:-}" ]; then
  cp "$E2E_DIR/readme.png" "$TESSALOOP_DOCS_DIR/editor-$(basename "$PROGRAM").png" ||
    e2e_fail "cannot copy the screenshot to $TESSALOOP_DOCS_DIR"
  e2e_note "screenshot copied to $TESSALOOP_DOCS_DIR"
fi

hold_key Escape
e2e_wait_for_exit 10
[ "$APP_STATUS" = 0 ] || e2e_fail "the program ended with status $APP_STATUS"
e2e_pass
