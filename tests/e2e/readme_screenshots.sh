#!/usr/bin/env bash
# The pictures of the README, taken from the real window: a beat composed on
# every track as a user composes it, once in the NOTE tab and once with the
# help shown. The "_trace" build is driven, so every action is waited for
# until a frame has taken it; song mode stays off, so no pattern boundary can
# bring other patterns in under the screenshot (only the playing step moves).
# The test checks that the composed steps show their pictures; with
# TESSALOOP_DOCS_DIR set (make docs) it also copies the screenshot there as
# editor-<program>.png.
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
e2e_wait_for_editor

# A kick-like low note, a hat-like noise, a bass line and, on the six-track
# program, a few more voices.
e2e_drop 15 0 0 4 8 12
e2e_drop 9 1 2 6 10 14
e2e_drop 10 2 0 3 6 8 11 14
if [ "$TRACKS" = 6 ]; then
  e2e_drop 6 3 0 8
  e2e_drop 11 4 4 12
  e2e_drop 13 5 2 5 10 13
fi
# Notes on track 3: hover each step and press a note key; octave 2.
for step in 0 3 6 8 11 14; do
  e2e_key_on_cell 2 "$step" 2
  e2e_wait_editor " cell 2 $step octave 2 "
  e2e_tap "$(echo z v c b x n | cut -d' ' -f$(((step % 6) + 1)))"
done
e2e_move_to 560 560

# The composed steps show their pictures: not white at their centres; and the
# help, when held, its text.
composed_shown() {
  local check pixel
  for check in "0 0" "1 2" "2 3"; do
    set -- $check
    pixel=$(e2e_pixel readme "$(e2e_cell_x "$2")" "$(e2e_cell_y "$1")")
    e2e_is_white "$pixel" && return 1
  done
  return 0
}
help_shown() {
  composed_shown &&
    awk -v w="$(e2e_white_share readme 470x10+500+438)" 'BEGIN { exit !(w < 0.95) }'
}
if [ "$TRACKS" = 6 ]; then
  e2e_key_down F1
  e2e_screenshot_until readme help_shown
  e2e_key_up F1
else
  e2e_screenshot_until readme composed_shown
fi
if [ -n "${TESSALOOP_DOCS_DIR:-}" ]; then
  cp "$E2E_DIR/readme.png" "$TESSALOOP_DOCS_DIR/editor-$(basename "$PROGRAM" _trace).png" ||
    e2e_fail "cannot copy the screenshot to $TESSALOOP_DOCS_DIR"
  e2e_note "screenshot copied to $TESSALOOP_DOCS_DIR"
fi

e2e_quit_with_escape
e2e_pass
