# Shared by the end-to-end tests: a test folder of its own, the program's run
# folder, an ALSA device that writes to a file at real-time pace, an Xvfb of
# its own, and clean-up of everything it started, by process id.
#
# A test sources this file, then calls the functions below. On failure the
# test folder (logs, screenshots) is kept and its path printed; the capture
# file is deleted (unless TESSALOOP_KEEP_CAPTURE is set, for a look at it).

set -u

E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/tessaloop-e2e-XXXXXX")
RUN_DIR="$E2E_DIR/run"
CAPTURE="$RUN_DIR/out.raw"
LOG="$RUN_DIR/debug.txt"
E2E_PIDS=()
E2E_FAILED=1
XVFB_PID=""
APP_PID=""
APP_STATUS=""
# A command that e2e_start_program runs the program through (setpriv as
# another user, unshare for a mount of its own); none unless a test sets it.
E2E_RUNNER=()

e2e_cleanup() {
  local i pid
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    # Only a process of this test's own: one already waited for has given up
    # its id, which another test's process may have by now.
    pid=${E2E_PIDS[i]}
    [ "$(ps -o ppid= -p "$pid" 2>/dev/null | tr -d ' ')" = "$$" ] || continue
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  [ -n "${TESSALOOP_KEEP_CAPTURE:-}" ] || rm -f "$CAPTURE"
  if [ "$E2E_FAILED" = 0 ] && [ -z "${TESSALOOP_KEEP_TEST_FOLDERS:-}" ]; then
    rm -rf "$E2E_DIR"
  else
    echo "test folder kept: $E2E_DIR (screenshots, debug.txt, program output)"
  fi
}
trap e2e_cleanup EXIT

# Skips the test (CTest's SKIP_RETURN_CODE) when a tool it needs is missing.
e2e_require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed (./scripts/install-deps.sh)"
      E2E_FAILED=0
      exit 77
    fi
  done
}

e2e_pass() {
  E2E_FAILED=0
  echo "PASS"
  exit 0
}

e2e_fail() {
  echo "FAIL: $*"
  if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
    /usr/bin/import -window root "$E2E_DIR/failure.png" 2>/dev/null &&
      echo "screenshot at the failure: $E2E_DIR/failure.png"
  fi
  [ -f "$LOG" ] && { echo "--- debug.txt (last lines)"; tail -n 25 "$LOG"; }
  [ -f "$E2E_DIR/app.log" ] && { echo "--- program output"; tail -n 25 "$E2E_DIR/app.log"; }
  exit 1
}

e2e_note() { echo "* $*"; }

# The program's folder: data/ (the repository's art), empty songs/ and
# userbitmaps/, and a debug.txt left over from "an earlier run". Given $3, the
# pacer writes its figures (gaps, wall time) into that file when the sound ends.
e2e_prepare_run_folder() {
  local source_dir=$1 pacer=$2 report=${3:-}
  mkdir -p "$RUN_DIR/songs" "$RUN_DIR/userbitmaps"
  ln -s "$source_dir/data" "$RUN_DIR/data"
  echo "a line left by an earlier run" >"$LOG"
  # The file device is not paced by itself; the pacer plays it in real time.
  cat >"$E2E_DIR/asound.conf" <<EOF
pcm.!default {
    type file
    slave.pcm { type null }
    file "|$pacer $CAPTURE 352800${report:+ $report}"
    format "raw"
}
EOF
}

# An Xvfb of its own, its screen 1024x768x24 unless $1 gives another
# (WIDTHxHEIGHTxDEPTH): one larger than the picture for a window made bigger,
# or of another shape.
e2e_start_xvfb() {
  Xvfb -displayfd 5 -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset \
    5>"$E2E_DIR/display" 2>"$E2E_DIR/xvfb.log" &
  XVFB_PID=$!
  E2E_PIDS+=("$XVFB_PID")
  local i
  for ((i = 0; i < 200; i++)); do
    [ -s "$E2E_DIR/display" ] && break
    sleep 0.05
  done
  [ -s "$E2E_DIR/display" ] || e2e_fail "Xvfb did not start"
  export DISPLAY=":$(cat "$E2E_DIR/display")"
}

# Starts the program in its folder with the capturing ALSA device; extra
# arguments are environment settings (NAME=value, or -u NAME).
e2e_start_program() {
  local program=$1
  shift
  (cd "$RUN_DIR" && exec env "$@" HOME="$E2E_DIR" ALSA_CONFIG_PATH="$E2E_DIR/asound.conf" \
    "${E2E_RUNNER[@]}" "$program") >>"$E2E_DIR/app.log" 2>&1 &
  APP_PID=$!
  E2E_PIDS+=("$APP_PID")
}

# Waits up to $2 seconds (default 10) for the program to end; its exit status
# is then in APP_STATUS.
e2e_wait_for_exit() {
  local seconds=${1:-10} i
  for ((i = 0; i < seconds * 20; i++)); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end within $seconds s"
  wait "$APP_PID"
  APP_STATUS=$?
}

# Waits up to $2 seconds for a line of the debug log matching the extended
# regular expression $1.
e2e_wait_for_log() {
  local pattern=$1 seconds=${2:-10} i
  for ((i = 0; i < seconds * 20; i++)); do
    grep -Eq -- "$pattern" "$LOG" 2>/dev/null && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for /$pattern/"
    sleep 0.05
  done
  e2e_fail "no line /$pattern/ in debug.txt within $seconds s"
}

# Waits up to $3 seconds (default 10) for file $1 to end in the text $2 (a
# file written through a rename is read whole or not at all).
e2e_wait_for_file_end() {
  local file=$1 text=$2 seconds=${3:-10} i
  for ((i = 0; i < seconds * 20; i++)); do
    [ "$(tail -c "${#text}" "$file" 2>/dev/null)" = "$text" ] && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for $file"
    sleep 0.05
  done
  e2e_fail "$file did not come to end in \"$text\" within $seconds s"
}

# The lines given, in this order, somewhere in the debug log (others between).
e2e_expect_log_order() {
  local expected line_number=0 found
  for expected in "$@"; do
    found=$(awk -v start="$line_number" -v want="$expected" \
      'NR > start && $0 == want { print NR; exit }' "$LOG")
    [ -n "$found" ] || e2e_fail "debug.txt lacks \"$expected\" after line $line_number"
    line_number=$found
  done
}

# The capture is whole stereo float frames, not empty, and complete: the
# stream was stopped and closed before the program ended, and closing the
# device waits for the pacer, so no pacer is left writing to it.
e2e_expect_complete_capture() {
  [ -s "$CAPTURE" ] || e2e_fail "no sound reached the device"
  local size
  size=$(stat -c %s "$CAPTURE")
  [ $((size % 8)) = 0 ] || e2e_fail "the capture ends in a broken frame ($size bytes)"
  pgrep -f -- " $CAPTURE " >/dev/null && e2e_fail "the device was still writing after the program ended"
  CAPTURE_FRAMES=$((size / 8))
}

e2e_screenshot() {
  /usr/bin/import -window root "$E2E_DIR/$1.png" || e2e_fail "no screenshot"
}

# The colour of a pixel of a screenshot as "r,g,b" (0-255 each).
e2e_pixel() {
  local p="p{$2,$3}"
  /usr/bin/convert "$E2E_DIR/$1.png" \
    -format "%[fx:round(255*$p.r)],%[fx:round(255*$p.g)],%[fx:round(255*$p.b)]" info:
}

# The share (0-1) of a screenshot's pixels that are white, or of those of the
# region $2 (WxH+X+Y). A 16-bit frame's white may reach the screen a shade off
# (254 in one channel).
e2e_white_share() {
  /usr/bin/convert "$E2E_DIR/$1.png" ${2:+-crop "$2" +repage} -fuzz 1% -fill black +opaque white \
    -fill white -opaque white -format '%[fx:mean]' info:
}

# Whether "r,g,b" is white, give or take that shade.
e2e_is_white() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  [ "$r" -ge 250 ] && [ "$g" -ge 250 ] && [ "$b" -ge 250 ]
}

# Whether a W x H region of a screenshot at (X, Y) shows the same region of a
# bitmap file at (BX, BY), within the shades a 16-bit frame loses; the number
# of pixels that differ is left in ART_DIFFERING.
# usage: e2e_art_is_there SHOT FILE X Y W H BX BY
e2e_art_is_there() {
  local shot=$1 file=$2 x=$3 y=$4 w=$5 h=$6 bx=$7 by=$8
  /usr/bin/convert "$E2E_DIR/$shot.png" -crop "${w}x${h}+$x+$y" +repage "$E2E_DIR/$shot-at-$x-$y.png"
  /usr/bin/convert "$file" -crop "${w}x${h}+$bx+$by" +repage "$E2E_DIR/art-$x-$y.png"
  ART_DIFFERING=$(/usr/bin/compare -metric AE -fuzz 4% "$E2E_DIR/$shot-at-$x-$y.png" \
    "$E2E_DIR/art-$x-$y.png" null: 2>&1)
  [ "$ART_DIFFERING" = 0 ]
}

# Takes screenshot $1 until the command that follows holds for it (the frame
# that shows a state is presented just after the trace line that names it,
# and a program without a trace shows nothing of its frames), for at most 30 s.
e2e_screenshot_until() {
  local name=$1 end=$((SECONDS + 30))
  shift
  while ((SECONDS < end)); do
    e2e_screenshot "$name"
    "$@" && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for the screen"
    sleep 0.2
  done
  e2e_fail "the screen did not come to show what \"$*\" checks within 30 s"
}

# ---- The window of a program started with e2e_start_program ----

# Waits up to $1 seconds (default 20) for the window titled Tessaloop to
# appear; its id is then in WID.
e2e_find_window() {
  WID=$(timeout "${1:-20}" xdotool search --sync --name '^Tessaloop$' 2>/dev/null | head -n 1)
  [ -n "$WID" ] || e2e_fail "no window titled Tessaloop"
}

# Waits up to 5 seconds for the window WID to take the focus.
e2e_wait_for_focus() {
  local i
  for ((i = 0; i < 100; i++)); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WID" ] && break
    sleep 0.05
  done
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WID" ] || e2e_fail "the window did not get the focus"
}

# Waits up to $1 seconds (default 20) for the window titled Tessaloop to
# appear and take the focus, and for the input devices to be set up; the
# window id is then in WID.
e2e_wait_for_window() {
  local seconds=${1:-20}
  e2e_find_window "$seconds"
  e2e_wait_for_focus
  e2e_wait_for_log '^DirectInput Mouse SetCooperativeLevel established$' "$seconds"
}

e2e_capture_size() { stat -c %s "$CAPTURE" 2>/dev/null || echo 0; }

# The sound made by the callback reaches the capture late by what the device
# and the pacer hold on the way: the device's buffer (no more than the 8192
# frames of silence it is primed with), the pacer's pipe (64 KiB) and the
# pacer's own reads. Every byte of the capture past the offset this prints was
# made after the call.
e2e_capture_from_now() { echo $(($(e2e_capture_size) + 8192 * 8 + 65536 + 4096)); }

# Waits up to $2 seconds (default 30) until the capture holds $1 bytes: the
# sound up to there has been made and has reached the device.
e2e_wait_capture() {
  local bytes=$1 seconds=${2:-30} i
  for ((i = 0; i < seconds * 20; i++)); do
    [ "$(e2e_capture_size)" -ge "$bytes" ] && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for $bytes bytes of sound"
    sleep 0.05
  done
  e2e_fail "the capture did not reach $bytes bytes within $seconds s (it has $(e2e_capture_size))"
}

# Waits up to $2 seconds (default 10) until the debug log holds $1 lines
# matching the extended regular expression $3, or more.
e2e_wait_for_count() {
  local count=$1 pattern=$2 seconds=${3:-10} i
  for ((i = 0; i < seconds * 20; i++)); do
    [ "$(grep -Ec -- "$pattern" "$LOG" 2>/dev/null)" -ge "$count" ] && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for /$pattern/"
    sleep 0.05
  done
  e2e_fail "not $count lines /$pattern/ in debug.txt within $seconds s: $(grep -Ec -- "$pattern" "$LOG")"
}

# Esc is the window's, not the editor's: the program ends on the key's event,
# before a frame could show the key, so nothing waits for a frame to see it,
# and a press of any length is seen.
e2e_press_escape() {
  xdotool key Escape
}

# Esc, and the program ends within $1 seconds (default 10) with status 0.
e2e_quit_with_escape() {
  e2e_press_escape
  e2e_wait_for_exit "${1:-10}"
  [ "$APP_STATUS" = 0 ] || e2e_fail "the program ended with status $APP_STATUS after Esc"
}

# ---- Acting as a user on a "_trace" build ----
# The trace build writes its input state ("trace input: hold H delay D pointer
# X Y motion MX MY buttons L R 0 0 keys CODES") and its editor state ("trace
# editor: tab T tempo S ...") into debug.txt after every frame in which they
# changed. The helpers below act with xdotool and then wait until a frame has
# taken the action, so a slow frame never makes a test lose a key or a click.

# A frame number ("trace frame: N", every 64th frame) at or past $1, within
# $2 seconds (default 30).
e2e_wait_frames() {
  local frames=$1 seconds=${2:-30} i
  for ((i = 0; i < seconds * 20; i++)); do
    awk -v want="$frames" '/^trace frame: / && $3 >= want { found = 1 } END { exit !found }' \
      "$LOG" 2>/dev/null && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended before frame $frames"
    sleep 0.05
  done
  e2e_fail "frame $frames did not come within $seconds s"
}
# Waits until a frame has run after the last line of the debug log that
# matches the extended regular expression $1.
e2e_wait_frame_after() {
  local i
  for ((i = 0; i < 600; i++)); do
    awk -v pattern="$1" '$0 ~ pattern { seen = 1; after = 0 } seen && /^trace frame: / { after = 1 }
      END { exit !after }' "$LOG" && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for a frame"
    sleep 0.05
  done
  e2e_fail "no frame ran after /$1/ within 30 s"
}

# Waits up to $3 seconds (default 5) until the last "trace $1:" line matches
# the extended regular expression $2.
e2e_wait_trace() {
  local kind=$1 pattern=$2 seconds=${3:-5} i last
  for ((i = 0; i < seconds * 50; i++)); do
    last=$(grep "^trace $kind: " "$LOG" | tail -n 1)
    [[ $last =~ $pattern ]] && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for /$pattern/"
    sleep 0.02
  done
  e2e_fail "the $kind state did not come to /$pattern/ within $seconds s; it is: $last"
}
e2e_wait_input() { e2e_wait_trace input "$@"; }
e2e_wait_editor() { e2e_wait_trace editor "$@"; }

# The window up (e2e_wait_for_window, within $1 seconds, default 20) and the
# editor in its first tab (within $2 seconds, default 5): the program is ready
# for the user.
e2e_wait_for_editor() {
  e2e_wait_for_window "${1:-20}"
  e2e_wait_editor '^trace editor: tab 1 ' "${2:-5}"
}

# The PC scan code (two hex digits, as the input trace shows it) of an
# xdotool key name.
e2e_scan_code() {
  local letters=1E302E20122122231724252632311819101F1314162F112D152C
  case $1 in
    [a-z]) local n=$(($(printf '%d' "'$1") - 97)) && echo "${letters:n*2:2}" ;;
    [1-9]) printf '%02X\n' $(($1 + 1)) ;;
    0) echo 0B ;;
    Escape) echo 01 ;;
    BackSpace) echo 0E ;;
    Return) echo 1C ;;
    Control_L) echo 1D ;;
    Shift_L) echo 2A ;;
    F1) echo 3B ;;
    F5) echo 3F ;;
    F6) echo 40 ;;
    F12) echo 58 ;;
    Up) echo C8 ;;
    Left) echo CB ;;
    Right) echo CD ;;
    Down) echo D0 ;;
    Delete) echo D3 ;;
    *) e2e_fail "no scan code known for the key $1" ;;
  esac
}

# The pointer, as the program has it: where the X pointer is on the window's
# picture (the window shows it at its own size here, one window pixel for one
# picture pixel).
e2e_pointer_home() {
  e2e_move_to 0 0
}
e2e_move_to() {
  xdotool mousemove --window "$WID" "$1" "$2"
  e2e_wait_input " pointer $1 $2 "
}
# Left (1) or right (3) button down until a frame has seen it, then held for
# at least 100 ms in all. Waits first until no click hold is running, since the
# program reads both buttons as up while one is.
e2e_button_down() {
  local button=${1:-1} field=" buttons 128 0 "
  [ "$button" = 3 ] && field=" buttons 0 128 "
  e2e_wait_input '^trace input: hold 0 ' 5
  xdotool mousedown "$button"
  e2e_wait_input "$field"
  sleep 0.1
}
e2e_button_up() {
  xdotool mouseup "${1:-1}"
  e2e_wait_input " buttons 0 0 0 0 "
}
e2e_click_at() {
  e2e_move_to "$1" "$2"
  e2e_button_down 1
  e2e_button_up 1
}
# A click with a hold (song mode, mute, position): held until the editor
# shows its effect $3, then let go before the hold would repeat it.
e2e_click_until() {
  e2e_move_to "$1" "$2"
  e2e_button_down 1
  e2e_wait_editor "$3"
  e2e_button_up 1
}
# ---- Where the editor draws what a user points at ----
# The x of a point $2 pixels (default 32: the middle) right of the left edge
# of the cells of step $1.
e2e_cell_x() { echo $(($1 * 64 + ${2:-32})); }
# The y of a point $2 pixels (default 32: the middle) below the top edge of the
# cells of track $1 (their row, also in tab 5).
e2e_cell_y() { echo $(($1 * 64 + 24 + ${2:-32})); }
# The x of the middle of palette square $1 (0-15), and the y of them all.
e2e_palette_x() { echo $(($1 * 64 + 32)); }
E2E_PALETTE_Y=632
# The x of track $1's mute button, on the bottom bar.
e2e_mute_button_x() { echo $(($1 * 16 + 418)); }
# The pointer on position $2 of track $1's arrangement row.
e2e_to_arrangement() { e2e_move_to $(($2 * 10 + 15)) $(($1 * 10 + 705)); }

# Tab $1 (1-7) chosen with a click on its name.
e2e_click_tab() {
  local x
  x=$(echo "30 100 190 270 340 420 470" | cut -d' ' -f"$1")
  e2e_move_to "$x" 10
  e2e_button_down 1
  e2e_wait_editor " tab $1 "
  e2e_button_up 1
}
# Song mode turned on (1) or off (0) with its button.
e2e_set_song_mode() { e2e_click_until 55 677 " song-mode $1 "; }
# Into the cell of track $1, step $2 at ($3, $4) from its top-left corner
# (default its middle), and on until it is the current cell.
e2e_to_cell() {
  e2e_move_to "$(e2e_cell_x "$2" "${3:-32}")" "$(e2e_cell_y "$1" "${4:-32}")"
  e2e_wait_editor " cell $1 $2 "
}
# Palette square $1 picked up: pressed on, until the editor carries its slot.
e2e_pick_up() {
  e2e_move_to "$(e2e_palette_x "$1")" "$E2E_PALETTE_Y"
  e2e_button_down 1
  e2e_wait_editor " carried $(($1 + 6)) "
}
# What is carried let go of where the pointer is, until nothing is carried.
e2e_put_down() {
  e2e_button_up 1
  e2e_wait_editor " carried -1 "
}
# Palette square $1 carried to the cell of track $2, step $3 and dropped
# there; and the same again for each further step given.
e2e_drop() {
  local square=$1 track=$2 step
  shift 2
  for step in "$@"; do
    e2e_pick_up "$square"
    e2e_to_cell "$track" "$step"
    e2e_put_down
  done
}
# A drag inside the cell of track $1, step $2: pressed at ($5, $6) from its
# top-left corner (default (10, 10), near it), let go at ($3, $4).
e2e_drag_in_cell() {
  e2e_to_cell "$1" "$2" "${5:-10}" "${6:-10}"
  e2e_button_down 1
  e2e_move_to "$(e2e_cell_x "$2" "$3")" "$(e2e_cell_y "$1" "$4")"
  e2e_button_up 1
}
# The user bitmap menu of palette square $1 opened with the right button, which
# stays held, and the pointer on the menu's row $2 (0 is the lowest).
e2e_open_bitmap_menu() {
  e2e_move_to "$(e2e_palette_x "$1")" "$E2E_PALETTE_Y"
  e2e_button_down 3
  e2e_wait_editor " menu $(($1 + 6)) "
  e2e_move_to "$(e2e_palette_x "$1")" $((595 - 10 * $2))
}
# The right button let go over the open menu, which closes within $1 seconds
# (default 5): the frame that closes it has loaded the row's bitmap.
e2e_close_bitmap_menu() {
  e2e_button_up 3
  e2e_wait_editor " menu -1 " "${1:-5}"
}
# A key down until a frame has seen it (within $2 seconds, default 5), and up
# again until a frame has seen that; e2e_tap holds it for at least 100 ms between, and waits first until no
# key delay runs, so that a key the delay holds back (name entry, the song
# list) is taken by the frame that sees it.
e2e_key_down() {
  local code
  code=$(e2e_scan_code "$1")
  xdotool keydown "$1"
  e2e_wait_input " keys( [0-9A-F]{2})* $code( |$)" "${2:-5}"
}
e2e_key_up() {
  local code
  code=$(e2e_scan_code "$1")
  xdotool keyup "$1"
  local i
  for ((i = 0; i < 250; i++)); do
    [[ $(grep '^trace input: ' "$LOG" | tail -n 1) =~ \ keys(\ [0-9A-F]{2})*\ $code(\ |$) ]] ||
      return 0
    sleep 0.02
  done
  e2e_fail "the key $1 still reads as held"
}
e2e_tap() {
  e2e_wait_input '^trace input: hold [0-9]+ delay 0 ' 5
  e2e_key_down "$1"
  sleep 0.1
  e2e_key_up "$1"
}
# Key $3 tapped with the pointer on the middle of the cell of track $1, step $2.
e2e_key_on_cell() {
  e2e_to_cell "$1" "$2"
  e2e_tap "$3"
}
# Tab 5: letter $3 tapped with the pointer on track $2's Save button (given
# store) or Load button (given load).
e2e_pattern_key() {
  local x=30
  [ "$1" = load ] && x=96
  e2e_move_to $x "$(e2e_cell_y "$2" 30)"
  e2e_tap "$3"
}
# A field of the last "trace editor:" line: the word after its name, or for
# name the text between the quotes.
e2e_editor_field() {
  local last
  last=$(grep '^trace editor: ' "$LOG" | tail -n 1)
  if [ "$1" = name ]; then
    sed 's/.* name "\(.*\)"$/\1/' <<<"$last"
  else
    sed -n "s/.* $1 \([^ ]*\).*/\1/p" <<<"$last"
  fi
}
# A key that the editor repeats by the key delay (name entry, the song list,
# a save), held until a line of the debug log written after the press matches
# the extended regular expression $2, then let go. The key may have repeated
# meanwhile: the callers hold it until a state that more repeats keep.
e2e_hold_key_until() {
  local key=$1 pattern=$2 from
  from=$(($(stat -c %s "$LOG") + 1))
  xdotool keydown "$key"
  if ! grep -m1 -qE -- "$pattern" < <(timeout 10 tail -c "+$from" -F "$LOG" 2>/dev/null); then
    xdotool keyup "$key"
    e2e_fail "holding $key brought no line /$pattern/ within 10 s"
  fi
  e2e_key_up "$key"
}
# Tab 7 (NAME) open: the name emptied with a held Backspace, then the key $1
# (a letter or a digit) held until the name is twelve of it, and saved with
# Return, which goes back to NOTE once the song is written; the name is then
# in SAVED_NAME. The entry repeats a held key by time, so only what the
# editor does with a key held for any length of time can be typed for sure:
# Backspace stops at the empty name, and a key no longer added at the
# twelve characters a name holds.
e2e_save_as() {
  local full
  full=$(printf "%12s" "" | tr ' ' "$1")
  [ -z "$(e2e_editor_field name)" ] || e2e_hold_key_until BackSpace '^trace editor: .* name ""$'
  e2e_hold_key_until "$1" "^trace editor: .* name \"$full\"\$"
  SAVED_NAME=$full
  e2e_hold_key_until Return '^trace editor: tab 1 '
}
# Tab 6 (SONGS) open: songs/$1 chosen in the song list, which is in the
# folder's order. The song is reached by holding Left or Right until the
# trace names it as the chosen entry: at an end of the list they stop there;
# within it they step a quarter second apart, far longer than the trace takes
# to say the entry is chosen.
e2e_choose_song() {
  local songs index entry
  entry=$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')
  e2e_wait_editor ' tab 6 '
  grep '^trace editor: ' "$LOG" | tail -n 1 | grep -qE " entry \"$entry\" " && return 0
  # shellcheck disable=SC2010 # the folder's own order is the point, not a glob's
  mapfile -t songs < <(ls -U "$RUN_DIR/songs" | grep -i '\.tlp$')
  for ((index = 0; index < ${#songs[@]}; index++)); do
    [ "${songs[index]}" = "$1" ] && break
  done
  [ "$index" -lt "${#songs[@]}" ] || e2e_fail "songs/ holds no $1: ${songs[*]}"
  if [ "$index" -gt "$(e2e_editor_field song)" ]; then
    e2e_hold_key_until Right " entry \"$entry\" "
  else
    e2e_hold_key_until Left " entry \"$entry\" "
  fi
}
# songs/$1 chosen as above and loaded with Return, which goes back to NOTE.
e2e_load_song() {
  e2e_choose_song "$1"
  e2e_hold_key_until Return '^trace editor: tab 1 '
}
