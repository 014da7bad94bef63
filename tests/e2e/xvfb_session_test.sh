#!/usr/bin/env bash
# One whole session of a program in its own 1024 x 768 Xvfb: the window comes
# up with its title and the first frame, the sound plays into a file, real key
# presses and mouse motion reach the input state, and the program ends the
# way asked with exit code 0, its sound file complete and its log in order.
#
# usage: xvfb_session_test.sh SOURCE_DIR PACER CLOSE_WINDOW PROGRAM OPTIONS...
#   PROGRAM   a build of tessaloop3 or tessaloop6; a "_trace" build also
#             writes its input state into the debug log, which the input
#             checks need
#   OPTIONS   windowed | fullscreen     the window to expect
#             esc | wmclose | altf4     how to end the program
#             focus                     also take the focus away and back

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
CLOSE_WINDOW=$3
PROGRAM=$4
shift 4
FULLSCREEN=0
ENDING=esc
FOCUS=0
for option in "$@"; do
  case $option in
    windowed) FULLSCREEN=0 ;;
    fullscreen) FULLSCREEN=1 ;;
    esc | wmclose | altf4) ENDING=$option ;;
    focus) FOCUS=1 ;;
    *) echo "unknown option $option" && exit 2 ;;
  esac
done
TRACE=0
case $PROGRAM in *_trace) TRACE=1 ;; esac

e2e_require Xvfb xdotool xwininfo /usr/bin/import /usr/bin/convert /usr/bin/compare
[ "$FOCUS" = 0 ] || e2e_require xeyes

e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
e2e_start_xvfb
e2e_note "Xvfb on $DISPLAY, test folder $E2E_DIR"
e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER

# ---- The window ----
e2e_find_window 20
[ "$(xdotool getwindowname "$WID")" = "Tessaloop" ] || e2e_fail "the title is not Tessaloop"
GEOMETRY=$(xwininfo -id "$WID")
echo "$GEOMETRY" | grep -Eq 'Width: 1024$' || e2e_fail "the window is not 1024 wide: $GEOMETRY"
echo "$GEOMETRY" | grep -Eq 'Height: 768$' || e2e_fail "the window is not 768 high: $GEOMETRY"
echo "$GEOMETRY" | grep -Eq 'Absolute upper-left X: +0$' || e2e_fail "not at the left edge"
echo "$GEOMETRY" | grep -Eq 'Absolute upper-left Y: +0$' || e2e_fail "not at the top edge"
e2e_note "window $WID: Tessaloop, 1024 x 768 at (0, 0)"

e2e_wait_for_focus

# ---- Start-up and the first frame ----
e2e_wait_for_log '^DirectInput Mouse SetCooperativeLevel established$' 20
# The bars' art where the editor puts it, away from what it draws over them
# (the tab marker, the pointer, the numbers of the bottom bar): on the screen
# once the first frame has been presented.
bars_shown() {
  e2e_art_is_there first-frame "$SOURCE_DIR/data/tabs.bmp" 50 0 435 24 50 0 &&
    e2e_art_is_there first-frame "$SOURCE_DIR/data/title.bmp" 501 0 512 24 0 0 &&
    e2e_art_is_there first-frame "$SOURCE_DIR/data/tempo.bmp" 130 666 130 24 130 0
}
e2e_screenshot_until first-frame bars_shown
e2e_note "the tab, title and tempo bars' art at their places"
WHITE=$(e2e_white_share first-frame)
awk -v w="$WHITE" 'BEGIN { exit !(w > 0.5) }' || e2e_fail "the screen is not mostly white ($WHITE)"
BACKGROUND=$(e2e_pixel first-frame 700 500)
e2e_is_white "$BACKGROUND" || e2e_fail "the background at (700, 500) is $BACKGROUND, not white"
e2e_note "first frame: $(awk -v w="$WHITE" 'BEGIN { printf "%.1f", w * 100 }')% white"

FULL_SCREEN_LINE="SetDisplayMode WINDOWED"
[ "$FULLSCREEN" = 1 ] && FULL_SCREEN_LINE="SetDisplayMode DDSCL_FULLSCREEN"
[ "$(head -n 1 "$LOG")" = "DEBUG LOG" ] || e2e_fail "debug.txt does not start with DEBUG LOG"
grep -q "a line left by an earlier run" "$LOG" && e2e_fail "the old log was not emptied"
e2e_expect_log_order "DEBUG LOG" "--------------------------------" "Starting Setup" \
  "Create DDRAW object" "setco-operative" "$FULL_SCREEN_LINE" "Done Setup" "Video driver: x11" \
  "DirectInput initialised" "DirectInput Keyboard established" \
  "DirectInput Keyboard Format established" "DirectInput Keyboard behaviour established" \
  "DirectInput Mouse established" "DirectInput Mouse format established" \
  "DirectInput Mouse SetCooperativeLevel established"
e2e_note "debug.txt: the start-up lines in order"

# ---- Input reaches the input state ----
# Keys and buttons are read as held states once a frame. Motion of the X
# pointer arrives exactly; the raw motion sums show it whatever the editor
# does with the pointer.
expect_trace() {  # a trace line matching $1 appears
  e2e_wait_for_log "^trace input: .*$1" 5
}
if [ "$TRACE" = 1 ]; then
  xdotool mousemove_relative -- 100 50
  expect_trace ' motion 100 50 '
  xdotool keydown a
  expect_trace ' keys 1E$'
  xdotool keydown Shift_L
  expect_trace ' keys 1E 2A$'
  xdotool keyup a keyup Shift_L
  xdotool keydown Up
  expect_trace ' keys C8$'
  xdotool keyup Up
  xdotool keydown Return
  expect_trace ' keys 1C$'
  xdotool keyup Return
  xdotool mousedown 1
  expect_trace ' buttons 128 0 0 0 '
  xdotool mouseup 1 mousedown 3
  expect_trace ' buttons 0 128 0 0 '
  xdotool mouseup 3
  expect_trace ' motion 100 50 buttons 0 0 0 0 keys$'
  e2e_note "motion, keys (a, Shift, Up, Return) and both buttons reached the input state"
fi

# ---- Focus away and back: input works again by itself ----
if [ "$FOCUS" = 1 ]; then
  xeyes >>"$E2E_DIR/xeyes.log" 2>&1 &
  XEYES_PID=$!
  E2E_PIDS+=("$XEYES_PID")
  OTHER=$(timeout 10 xdotool search --sync --name '^xeyes$' 2>/dev/null | head -n 1)
  [ -n "$OTHER" ] || e2e_fail "the second window did not appear"
  xdotool windowfocus --sync "$OTHER"
  e2e_wait_for_log '^trace event: deactivated$' 5
  # Motion while another window has the focus; the pointer query after it
  # returns once the server has sent the motion on, ahead of the focus.
  xdotool mousemove_relative -- 500 0 getmouselocation >/dev/null
  xdotool windowfocus --sync "$WID"
  e2e_wait_for_log '^trace event: activated$' 5
  e2e_wait_frame_after '^trace event: activated$' # the first frame takes the mouse back
  xdotool mousemove_relative -- -30 20
  expect_trace ' motion 70 70 '
  xdotool keydown b
  expect_trace ' keys 30$'
  xdotool keyup b
  grep -q 'motion 600 ' "$LOG" && e2e_fail "motion made while inactive was counted"
  kill "$XEYES_PID" && wait "$XEYES_PID" 2>/dev/null
  e2e_note "after the focus came back, motion and keys reached the input state again"
fi

# ---- The way out ----
# A trace build reports the frames its callback made: a second of them first.
[ "$TRACE" = 1 ] && e2e_wait_capture $(((8192 + 22050) * 8))
case $ENDING in
  esc) e2e_press_escape ;;
  wmclose) "$CLOSE_WINDOW" "$WID" || e2e_fail "could not send the close request" ;;
  altf4)
    xdotool keydown Alt_L keydown F4
    sleep 0.1
    xdotool keyup F4 keyup Alt_L
    ;;
esac
e2e_wait_for_exit 10
[ "$APP_STATUS" = 0 ] || e2e_fail "exit status $APP_STATUS after $ENDING"
e2e_note "$ENDING ended the program with exit status 0"

e2e_expect_complete_capture
if [ "$TRACE" = 1 ]; then
  STOPPED=$(sed -n 's/^trace audio: stopped after \([0-9]*\) frames$/\1/p' "$LOG")
  [ -n "$STOPPED" ] || e2e_fail "the sound was not stopped before the window closed"
  LEAD=$((CAPTURE_FRAMES - STOPPED))
  # Every frame the callback made reached the file, after the silence the
  # device is primed with.
  [ "$LEAD" -gt 0 ] && [ "$LEAD" -le 8192 ] ||
    e2e_fail "the capture holds $CAPTURE_FRAMES frames for $STOPPED made"
  cmp -s -n $((LEAD * 8)) "$CAPTURE" /dev/zero || e2e_fail "the priming is not silent"
  [ "$STOPPED" -ge 22050 ] || e2e_fail "only $STOPPED frames made, though the device had half a second"
  e2e_note "sound file complete: $STOPPED frames made, $LEAD frames of priming before them"
  # Presenting waits for the display's refresh: no spinning through frames.
  read -r FRAMES MILLISECONDS < <(sed -n 's/^trace frames: \([0-9]*\) in \([0-9]*\) ms$/\1 \2/p' "$LOG")
  [ -n "$FRAMES" ] && [ "$MILLISECONDS" -gt 0 ] || e2e_fail "no frame count"
  FPS=$((FRAMES * 1000 / MILLISECONDS))
  [ "$FPS" -le 100 ] || e2e_fail "$FPS frames a second: presenting does not wait for the refresh"
  e2e_note "$FRAMES frames in $MILLISECONDS ms ($FPS a second)"
else
  e2e_note "sound file complete: $CAPTURE_FRAMES frames"
fi
e2e_pass
