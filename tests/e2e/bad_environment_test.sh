#!/usr/bin/env bash
# The program started where things are not as they should be. Each case
# prepares its own working folder, runs the real program (in Xvfb where a user
# has to act, otherwise with SDL's dummy video driver) and checks what the user
# gets: a clear line on stderr and a non-zero status where the program cannot
# be used, otherwise a line in the debug log and a program that runs on - and
# in every case, that no file of the user's was changed.
#
# usage: bad_environment_test.sh CASE SOURCE_DIR PACER PROGRAM
#   no-data          no data/ folder: started somewhere else than its folder
#   empty-data       an empty data/ folder
#   unreadable-data  pictures in data/ that may not be read, then data/ itself
#                    (run as nobody when the test runs as root)
#   songs-file       a file called songs where the songs folder belongs
#   read-only        a working folder that cannot be written
#   many-bitmaps     1000 files in userbitmaps/, odd names among them
#   odd-bitmaps      a named pipe, a folder, an empty file, text and others
#                    posing as user bitmaps, each loaded from the menu
#   no-sound         no ALSA configuration but the system's, no sound card
#   broken-alsa      an ALSA configuration file that is empty
# (No display at all is no_display_test.sh.)

source "$(dirname "$0")/e2e_lib.sh"

CASE=$1
SOURCE_DIR=$2
PACER=$3
PROGRAM=$4

# ---- Helpers ----

# A fingerprint of every file and folder under the working folder except the
# capture: names, kinds, permissions and contents.
fingerprint() {
  (cd "$RUN_DIR" && find . -path ./out.raw -prune -o -printf '%p %y %m\n' | sort &&
    find . -path ./out.raw -prune -o -type f -readable -print0 | sort -z | xargs -0r sha256sum)
}

# Runs the program in the working folder with SDL's dummy video driver.
start_dummy() {
  e2e_start_program "$PROGRAM" -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy "$@"
}

# The program, up and running for 128 frames (and, given "sound", with a
# tenth of a second of sound past the priming on the device), then asked to
# stop as the system would: it must end with status 0.
run_then_stop() {
  e2e_wait_for_log '^DirectInput Mouse SetCooperativeLevel established$' 30
  e2e_wait_frames 128
  [ "${1:-}" = sound ] && e2e_wait_capture $(((8192 + 4410) * 8))
  kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended by itself"
  kill -TERM "$APP_PID"
  e2e_wait_for_exit 20
  [ "$APP_STATUS" = 0 ] || e2e_fail "exit status $APP_STATUS after SIGTERM"
}

# The program's stderr: the lines it wrote, without SDL's own remarks.
program_stderr() {
  grep -v '^ALSA lib\|XDG_RUNTIME_DIR' "$E2E_DIR/app.log"
}

expect_stderr_line() {  # one line of stderr is exactly $1
  program_stderr | grep -qxF -- "$1" || e2e_fail "stderr lacks: $1
--- stderr:
$(program_stderr | head -n 20)"
}

expect_log_line() {  # one line of debug.txt is exactly $1
  grep -qxF -- "$1" "$LOG" || e2e_fail "debug.txt lacks: $1"
}

# The window in Xvfb, with the focus, and the program started up and drawing
# its frames; the user acts through the waiting helpers of e2e_lib.sh.
start_in_xvfb() {
  e2e_start_xvfb
  e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER "$@"
  e2e_wait_for_editor 20 20
}

# Runs the program as the user nobody when the test runs as root, where
# permissions would not stop anything. Sets AS_NOBODY to the setpriv command
# (empty when not needed), for E2E_RUNNER; skips when nobody cannot reach the
# program.
prepare_for_nobody() {
  AS_NOBODY=()
  [ "$(id -u)" = 0 ] || return 0
  e2e_require setpriv
  AS_NOBODY=(setpriv "--reuid=$(id -u nobody)" "--regid=$(id -g nobody)" --clear-groups --)
  chmod 755 "$E2E_DIR"
  chmod 644 "$E2E_DIR/asound.conf"
  local tool
  for tool in "$PROGRAM" "$PACER"; do
    if ! "${AS_NOBODY[@]}" test -x "$tool"; then
      echo "SKIP: the user nobody cannot run $tool (a folder on its way is private)"
      E2E_FAILED=0
      exit 77
    fi
  done
}

# ---- The cases ----

case_no_data() {
  rm "$RUN_DIR/data"
  local before
  before=$(fingerprint)
  start_dummy
  e2e_wait_for_exit 20
  [ "$APP_STATUS" = 1 ] || e2e_fail "exit status $APP_STATUS, not 1"
  local expected="Tessaloop cannot start: there is no data/ folder in $RUN_DIR (No such file or"
  expected+=" directory); start it in the folder that holds its data/ folder, or with the"
  expected+=" tessaloop launcher"
  [ "$(program_stderr)" = "$expected" ] || e2e_fail "stderr is not the one line expected:
$(program_stderr)"
  [ "$(fingerprint)" = "$before" ] || e2e_fail "the folder changed: $(fingerprint)"
  [ -e "$CAPTURE" ] && e2e_fail "sound was started"
  e2e_note "status 1, one line on stderr, the folder (and its debug.txt) untouched"
}

case_empty_data() {
  rm "$RUN_DIR/data"
  mkdir "$RUN_DIR/data"
  start_dummy
  e2e_wait_for_exit 20
  [ "$APP_STATUS" = 1 ] || e2e_fail "exit status $APP_STATUS, not 1"
  local line="Tessaloop cannot start: data/text.bmp (No such file or directory), the picture of"
  line+=" its letters and its pointer, cannot be loaded; 25 of its pictures are missing"
  [ "$(program_stderr)" = "$line" ] || e2e_fail "stderr is not the one line expected:
$(program_stderr)"
  [ "$(head -n 1 "$LOG")" = "DEBUG LOG" ] || e2e_fail "no fresh debug log"
  [ "$(tail -n 1 "$LOG")" = "$line" ] || e2e_fail "the log does not end with the reason"
  expect_log_line "Start-up picture not loaded: data/noise.bmp (No such file or directory)"
  local named
  named=$(grep -c '^Start-up picture not loaded: ' "$LOG")
  [ "$named" = 25 ] || e2e_fail "$named missing pictures named, not 25"
  [ -e "$CAPTURE" ] && e2e_fail "sound was started"
  e2e_note "status 1 with the reason on stderr; debug.txt names all 25 missing pictures"
}

case_unreadable_data() {
  rm "$RUN_DIR/data"
  cp -r "$SOURCE_DIR/data" "$RUN_DIR/data"
  prepare_for_nobody
  [ "${#AS_NOBODY[@]}" = 0 ] || chown -R nobody "$RUN_DIR"
  chmod 000 "$RUN_DIR/data/square.bmp" "$RUN_DIR/data/noise.bmp"
  E2E_RUNNER=("${AS_NOBODY[@]}")

  # Two palette pictures: the program runs, and says which and why.
  start_dummy
  run_then_stop sound
  expect_stderr_line "Tessaloop: runs without 2 of its pictures: data/noise.bmp (Permission denied), data/square.bmp (Permission denied)"
  expect_log_line "Start-up picture not loaded: data/noise.bmp (Permission denied)"
  expect_log_line "Start-up picture not loaded: data/square.bmp (Permission denied)"
  e2e_expect_complete_capture
  e2e_note "two unreadable palette pictures: runs, plays, names them on stderr and in the log"

  # The folder itself: nothing can be drawn.
  chmod 000 "$RUN_DIR/data"
  : >"$E2E_DIR/app.log"
  start_dummy
  e2e_wait_for_exit 20
  chmod 755 "$RUN_DIR/data"
  [ "$APP_STATUS" = 1 ] || e2e_fail "exit status $APP_STATUS, not 1, without a readable data/"
  expect_stderr_line "Tessaloop cannot start: data/text.bmp (Permission denied), the picture of its letters and its pointer, cannot be loaded; 25 of its pictures are missing"
  e2e_note "an unreadable data/ folder: status 1 with the reason on stderr"
}

case_songs_file() {
  rmdir "$RUN_DIR/songs"
  printf 'my notes, not a folder\n' >"$RUN_DIR/songs"
  cp "$RUN_DIR/songs" "$E2E_DIR/songs.before"
  start_in_xvfb

  # Tab 7 and Return: not saved, and the tab stays open, so that a second
  # Return tries again.
  e2e_click_tab 7
  e2e_move_to 600 500
  e2e_hold_key_until Return '^Song not saved: '
  expect_log_line "Song not saved: cannot create a file in songs: Not a directory"
  e2e_screenshot not-saved
  e2e_wait_editor ' tab 7 '
  e2e_hold_key_until Return '^Song not saved: '

  # The song list: empty, and the log says why.
  e2e_click_tab 6
  e2e_wait_for_log '^Cannot read the folder songs: Not a directory$' 5
  e2e_tap Return
  grep -q '^Loading seq$' "$LOG" && e2e_fail "a song was loaded from nowhere"

  e2e_quit_with_escape 20
  cmp -s "$RUN_DIR/songs" "$E2E_DIR/songs.before" || e2e_fail "the file called songs changed"
  e2e_note "saving fails with a reason in the log and the tab stays open; the list is empty" \
    "with a reason; the file called songs is untouched"
}

case_read_only() {
  CAPTURE="$E2E_DIR/out.raw"  # the sound goes outside the folder
  sed -i "s|$RUN_DIR/out.raw|$CAPTURE|" "$E2E_DIR/asound.conf"
  cp "$SOURCE_DIR/fuzz/corpus/songfile/good-rich-3" "$RUN_DIR/songs/old.tlp"
  # A copy of the art, so that nothing done to the folder reaches the
  # repository's.
  rm "$RUN_DIR/data"
  cp -r "$SOURCE_DIR/data" "$RUN_DIR/data"
  local before
  before=$(fingerprint)

  # A read-only mount of the folder where the test may make one (root, in a
  # mount namespace of the program's own); else the folder's permissions,
  # for a user they bind.
  if [ "$(id -u)" = 0 ]; then
    if unshare -m true 2>/dev/null; then
      E2E_RUNNER=(unshare -m -- sh -c 'mount --bind "$0" "$0" && mount -o remount,ro,bind "$0" "$0" &&
        cd "$0" &&
        exec "$@"' "$RUN_DIR")
    else
      prepare_for_nobody
      E2E_RUNNER=("${AS_NOBODY[@]}")
    fi
  else
    chmod -R a-w "$RUN_DIR"
    trap 'chmod -R u+w "$RUN_DIR" 2>/dev/null; e2e_cleanup' EXIT
  fi
  e2e_start_xvfb
  e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER
  LOG="$E2E_DIR/app.log" # the debug log's lines, and the trace's, come on stderr
  e2e_wait_for_editor 20 20

  # The log comes on stderr, after one line that says so.
  program_stderr | grep -qE "^Tessaloop: cannot write its debug log $RUN_DIR/debug.txt \((Read-only file system|Permission denied)\); the log's lines follow here$" ||
    e2e_fail "stderr does not say that the debug log cannot be written"
  expect_stderr_line "DEBUG LOG"
  expect_stderr_line "Done Setup"
  expect_stderr_line "DirectInput Mouse SetCooperativeLevel established"

  # Saving fails with its reason; loading the old song works.
  e2e_click_tab 7
  e2e_move_to 600 500
  e2e_hold_key_until Return '^Song not saved: '
  program_stderr | grep -qE '^Song not saved: cannot create a file in songs: (Read-only file system|Permission denied)$' ||
    e2e_fail "stderr does not say why the song was not saved"
  e2e_click_tab 6
  e2e_move_to 600 500
  e2e_load_song old.tlp
  e2e_wait_for_log '^load tempo$' 5
  expect_stderr_line "songs/old.tlp"
  expect_stderr_line "load tempo"
  program_stderr | grep -q '^Song not loaded' && e2e_fail "the old song was not loaded"

  e2e_quit_with_escape 20
  e2e_expect_complete_capture
  [ "$(fingerprint)" = "$before" ] || e2e_fail "the read-only folder changed"
  e2e_note "runs with its log on stderr; saving fails with its reason; an old song loads;" \
    "nothing changed"
}

# Loads user bitmap menu row $1 (0 is the lowest) into palette square 0: the
# frame that closes the menu has made the load.
load_menu_row() {
  e2e_open_bitmap_menu 0 "$1"
  e2e_close_bitmap_menu 10
}

case_many_bitmaps() {
  local folder="$RUN_DIR/userbitmaps" i
  for ((i = 0; i < 984; i++)); do
    ln "$SOURCE_DIR/userbitmaps/heart.bmp" "$folder/$(printf 'b%04d.bmp' "$i")" 2>/dev/null ||
      cp "$SOURCE_DIR/userbitmaps/heart.bmp" "$folder/$(printf 'b%04d.bmp' "$i")"
  done
  # Odd names: too long for a slot name, a comma, a space, not ASCII, upper
  # case, hidden, not bitmaps at all.
  for name in "$(printf 'x%.0s' {1..40}).bmp" "a,b.bmp" "my pic.bmp" "müsik.bmp" "音.bmp" \
    "LOUD.BMP" ".hidden.bmp" "notes.txt" "bmp" "x.bmpx" "tab	b.bmp" "-dash.bmp" "a'b.bmp" \
    "semi;colon.bmp" "star*.bmp" "q?.bmp"; do
    cp "$SOURCE_DIR/userbitmaps/moon.bmp" "$folder/$name"
  done
  [ "$(find "$folder" -type f | wc -l)" = 1000 ] || e2e_fail "not 1000 files"
  local started
  started=$(date +%s%N)
  start_in_xvfb
  e2e_wait_for_log '^Only the first 40 files of userbitmaps are listed$' 10
  e2e_note "started and listed in $((($(date +%s%N) - started) / 1000000)) ms (window included)"

  for row in 0 1 39; do load_menu_row "$row"; done
  local loads
  loads=$(grep -c '^userbitmaps/' "$LOG")
  [ "$loads" = 3 ] || e2e_fail "$loads user bitmaps loaded, not 3"
  e2e_quit_with_escape 20
  e2e_note "1000 files: 40 listed, the rest said in the log; three loaded from the menu"
}

case_odd_bitmaps() {
  local folder="$RUN_DIR/userbitmaps"
  cp "$SOURCE_DIR/userbitmaps/moon.bmp" "$folder/good.bmp"
  cp "$SOURCE_DIR/userbitmaps/moon.bmp" "$folder/müsik.BMP"
  mkfifo "$folder/pipe.bmp"
  mkdir "$folder/folder.bmp"
  : >"$folder/empty.bmp"
  printf 'not a picture\n' >"$folder/text.bmp"
  head -c 300 "$SOURCE_DIR/userbitmaps/moon.bmp" >"$folder/cut.bmp"
  ln -s /dev/zero "$folder/zero.bmp"
  ln -s nowhere.bmp "$folder/dangling.bmp"
  local count=9
  start_in_xvfb
  e2e_wait_for_log '^reading directory$' 5
  local row
  for ((row = 0; row < count; row++)); do
    load_menu_row "$row"
  done
  # Every row was tried and the program went on to the next: none hung it.
  local tried good
  tried=$(grep -c '^userbitmaps/' "$LOG")
  [ "$tried" = "$count" ] || e2e_fail "$tried of $count bitmaps were tried"
  good=$(grep -A 2 '^userbitmaps/' "$LOG" | grep -c '^CopyBitmapToSurface OK$')
  [ "$good" = 2 ] || e2e_fail "$good bitmaps loaded, not the 2 real ones"
  e2e_screenshot after-loads
  e2e_quit_with_escape 20
  e2e_note "a pipe, a folder, an empty, a cut, a text file, /dev/zero and a dangling link:" \
    "each refused at once; the 2 real bitmaps loaded"
}

# Starts the program in its folder with exactly the environment given (no
# ALSA configuration of the test's).
start_plain() {
  (cd "$RUN_DIR" && exec env "$@" "$PROGRAM") >>"$E2E_DIR/app.log" 2>&1 &
  APP_PID=$!
  E2E_PIDS+=("$APP_PID")
}

case_no_sound() {
  # The system's own ALSA configuration, no user configuration, no card.
  start_plain -u DISPLAY -u WAYLAND_DISPLAY -u ALSA_CONFIG_PATH SDL_VIDEODRIVER=dummy \
    HOME="$E2E_DIR"
  run_then_stop
  grep -q '^Audio: no sound' "$LOG" || e2e_fail "debug.txt does not say there is no sound"
  e2e_note "$(grep '^Audio: no sound' "$LOG"); ran on and ended with status 0"
}

case_broken_alsa() {
  : >"$E2E_DIR/empty.conf"
  start_plain -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy HOME="$E2E_DIR" \
    ALSA_CONFIG_PATH="$E2E_DIR/empty.conf"
  run_then_stop
  expect_log_line "Audio: no sound, the ALSA configuration offers no output device"
  grep -q 'Assertion' "$E2E_DIR/app.log" && e2e_fail "the audio library's assertion was printed"
  find "$RUN_DIR" -name 'core*' | grep -q . && e2e_fail "a core file was left in the folder"
  e2e_note "an empty ALSA configuration: no sound, a log line, no crash"
}

e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
case $CASE in
  songs-file | read-only | many-bitmaps | odd-bitmaps)
    e2e_require Xvfb xdotool /usr/bin/import
    ;;
esac
case $CASE in
  no-data) case_no_data ;;
  empty-data) case_empty_data ;;
  unreadable-data) case_unreadable_data ;;
  songs-file) case_songs_file ;;
  read-only) case_read_only ;;
  many-bitmaps) case_many_bitmaps ;;
  odd-bitmaps) case_odd_bitmaps ;;
  no-sound) case_no_sound ;;
  broken-alsa) case_broken_alsa ;;
  *) echo "unknown case $CASE" && exit 2 ;;
esac
e2e_pass
