#!/usr/bin/env bash
# The program started where there is no display at all (no DISPLAY, no
# WAYLAND_DISPLAY, no video driver asked for): SDL2 would fall back to a
# driver that draws nowhere. The program must say so in one clear line on
# stderr and in a fresh debug log, start no sound, and end with a non-zero
# status instead of running invisibly.
#
# usage: no_display_test.sh SOURCE_DIR PACER PROGRAM

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3

e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
e2e_start_program "$PROGRAM" -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER
e2e_wait_for_exit 20
[ "$APP_STATUS" != 0 ] || e2e_fail "exit status 0 without a window"
e2e_note "exit status $APP_STATUS"

PREFIX="Tessaloop cannot open its window: "
LINES=$(grep -c "^$PREFIX" "$E2E_DIR/app.log")
[ "$LINES" = 1 ] || e2e_fail "$LINES lines on stderr say why, not one"
MESSAGE=$(grep "^$PREFIX" "$E2E_DIR/app.log")
echo "$MESSAGE" | grep -q "no display" || e2e_fail "the line does not say there is no display"
e2e_note "stderr: $MESSAGE"

[ "$(cat "$LOG")" = "DEBUG LOG
$MESSAGE" ] || e2e_fail "debug.txt is not a fresh log with the same line"
[ -e "$CAPTURE" ] && e2e_fail "sound was started without a window"
e2e_note "debug.txt holds the line; no sound was started"
e2e_pass
