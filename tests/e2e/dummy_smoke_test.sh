#!/usr/bin/env bash
# A smoke run without any display: SDL's dummy video driver, asked for by
# name. The program starts up completely, plays, runs frames at a display's
# pace rather than spinning, and ends cleanly with status 0 when the system
# asks it to stop (SIGTERM reaches it as a close request).
#
# usage: dummy_smoke_test.sh SOURCE_DIR PACER PROGRAM

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3

e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
e2e_start_program "$PROGRAM" -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy
e2e_wait_for_log '^DirectInput Mouse SetCooperativeLevel established$' 20
e2e_expect_log_order "DEBUG LOG" "Video driver: dummy" "DirectInput initialised"
# Up and playing: a second of sound past the priming has reached the device.
e2e_wait_capture $(((8192 + 44100) * 8))
kill -TERM "$APP_PID"
e2e_wait_for_exit 10
[ "$APP_STATUS" = 0 ] || e2e_fail "exit status $APP_STATUS after SIGTERM"
e2e_expect_complete_capture
e2e_note "ran with the dummy driver, ended by SIGTERM with status 0, sound file complete ($CAPTURE_FRAMES frames)"
e2e_pass
