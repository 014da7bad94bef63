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

e2e_cleanup() {
  local i
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${E2E_PIDS[i]}" 2>/dev/null && wait "${E2E_PIDS[i]}" 2>/dev/null
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
# userbitmaps/, and a debug.txt left over from "an earlier run".
e2e_prepare_run_folder() {
  local source_dir=$1 pacer=$2
  mkdir -p "$RUN_DIR/songs" "$RUN_DIR/userbitmaps"
  ln -s "$source_dir/data" "$RUN_DIR/data"
  echo "a line left by an earlier run" >"$LOG"
  # The file device is not paced by itself; the pacer plays it in real time.
  cat >"$E2E_DIR/asound.conf" <<EOF
pcm.!default {
    type file
    slave.pcm { type null }
    file "|$pacer $CAPTURE 352800"
    format "raw"
}
EOF
}

e2e_start_xvfb() {
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset \
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
    "$program") >>"$E2E_DIR/app.log" 2>&1 &
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

# The capture is whole stereo float frames, not empty, and no longer growing:
# the stream was stopped and closed before the program ended.
e2e_expect_complete_capture() {
  [ -s "$CAPTURE" ] || e2e_fail "no sound reached the device"
  local size
  size=$(stat -c %s "$CAPTURE")
  [ $((size % 8)) = 0 ] || e2e_fail "the capture ends in a broken frame ($size bytes)"
  sleep 0.3
  [ "$(stat -c %s "$CAPTURE")" = "$size" ] || e2e_fail "the capture grew after the program ended"
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

# The share (0-1) of a screenshot's pixels that are white. A 16-bit frame's
# white may reach the screen a shade off (254 in one channel).
e2e_white_share() {
  /usr/bin/convert "$E2E_DIR/$1.png" -fuzz 1% -fill black +opaque white -fill white -opaque white \
    -format '%[fx:mean]' info:
}

# Whether "r,g,b" is white, give or take that shade.
e2e_is_white() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  [ "$r" -ge 250 ] && [ "$g" -ge 250 ] && [ "$b" -ge 250 ]
}

# That a W x H region of a screenshot at (X, Y) shows the same region of a
# bitmap file at (BX, BY), within the shades a 16-bit frame loses.
# usage: e2e_expect_art SHOT FILE X Y W H BX BY
e2e_expect_art() {
  local shot=$1 file=$2 x=$3 y=$4 w=$5 h=$6 bx=$7 by=$8 differing
  /usr/bin/convert "$E2E_DIR/$shot.png" -crop "${w}x${h}+$x+$y" +repage "$E2E_DIR/$shot-at-$x-$y.png"
  /usr/bin/convert "$file" -crop "${w}x${h}+$bx+$by" +repage "$E2E_DIR/art-$x-$y.png"
  differing=$(/usr/bin/compare -metric AE -fuzz 4% "$E2E_DIR/$shot-at-$x-$y.png" \
    "$E2E_DIR/art-$x-$y.png" null: 2>&1)
  [ "$differing" = 0 ] ||
    e2e_fail "$(basename "$file") is not at ($x, $y): $differing of $((w * h)) pixels differ"
}

# ---- The window of a program started with e2e_start_program ----

# Waits for the window titled Tessaloop to appear and take the focus, and for
# the input devices to be set up; the window id is then in WID.
e2e_wait_for_window() {
  local i
  WID=$(timeout 20 xdotool search --sync --name '^Tessaloop$' 2>/dev/null | head -n 1)
  [ -n "$WID" ] || e2e_fail "no window titled Tessaloop"
  for ((i = 0; i < 100; i++)); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WID" ] && break
    sleep 0.05
  done
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WID" ] || e2e_fail "the window did not get the focus"
  e2e_wait_for_log '^DirectInput Mouse SetCooperativeLevel established$' 20
}

e2e_capture_size() { stat -c %s "$CAPTURE" 2>/dev/null || echo 0; }

# ---- Acting as a user on a "_trace" build ----
# The trace build writes its input state ("trace input: hold H delay D pointer
# X Y motion MX MY buttons L R 0 0 keys CODES") and its editor state ("trace
# editor: tab T tempo S ...") into debug.txt after every frame in which they
# changed. The helpers below act with xdotool and then wait until a frame has
# taken the action, so a slow frame never makes a test lose a key or a click.

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
    F5) echo 3F ;;
    F6) echo 40 ;;
    Up) echo C8 ;;
    Left) echo CB ;;
    Right) echo CD ;;
    Down) echo D0 ;;
    Delete) echo D3 ;;
    *) e2e_fail "no scan code known for the key $1" ;;
  esac
}

# The pointer, as the program has it: it starts at the top-left corner and
# follows relative motion one to one. PX and PY follow it here.
PX=0
PY=0
# Brings the program's pointer to (0, 0) whatever it was: far up and left, where
# it stops at the edge while the raw motion it sums goes on 3000 further.
e2e_pointer_home() {
  local motion mx my
  motion=$(grep '^trace input: ' "$LOG" | tail -n 1 | sed -n 's/.* motion \(-*[0-9]*\) \(-*[0-9]*\) .*/\1 \2/p')
  read -r mx my <<<"${motion:-0 0}"
  xdotool mousemove_relative -- -3000 -3000
  PX=0
  PY=0
  e2e_wait_input " pointer 0 0 motion $((mx - 3000)) $((my - 3000)) "
}
e2e_move_to() {
  xdotool mousemove_relative -- $(($1 - PX)) $(($2 - PY))
  PX=$1
  PY=$2
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
# A key down until a frame has seen it, and up again until a frame has seen
# that; e2e_tap holds it for at least 100 ms between.
e2e_key_down() {
  local code
  code=$(e2e_scan_code "$1")
  xdotool keydown "$1"
  e2e_wait_input " keys( [0-9A-F]{2})* $code( |$)"
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
  e2e_key_down "$1"
  sleep 0.1
  e2e_key_up "$1"
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
# A key that repeats by the key delay (name entry, the song list), held until
# the editor field $2 has changed (or, given $3, has come to that value): waits
# until no delay runs, holds the key at least 100 ms and lets it go once the
# field is seen to change. A slow moment may still let the key repeat once;
# the callers check the field and correct it as a user would.
e2e_hold_key_until() {
  local key=$1 field=$2 want=${3-} before now started left i
  e2e_wait_input '^trace input: hold [0-9]+ delay 0 ' 5
  before=$(e2e_editor_field "$field")
  started=$(date +%s%N)
  xdotool keydown "$key"
  for ((i = 0; i < 250; i++)); do
    now=$(e2e_editor_field "$field")
    if [ $# -ge 3 ]; then [ "$now" = "$want" ] && break; else [ "$now" != "$before" ] && break; fi
    sleep 0.02
  done
  left=$((100000000 - ($(date +%s%N) - started)))
  [ "$left" -gt 0 ] && sleep "0.$(printf '%09d' "$left")"
  e2e_key_up "$key"
  [ "$i" -lt 250 ] || e2e_fail "holding $key did not change the editor's $field (it is \"$now\")"
}
