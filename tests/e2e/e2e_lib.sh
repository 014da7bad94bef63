# Shared by the end-to-end tests: a test folder of its own, the program's run
# folder, an ALSA device that writes to a file at real-time pace, an Xvfb of
# its own, and clean-up of everything it started, by process id.
#
# A test sources this file, then calls the functions below. On failure the
# test folder (logs, screenshots) is kept and its path printed; the capture
# file is always deleted.

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
  rm -f "$CAPTURE"
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
