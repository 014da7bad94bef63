#!/usr/bin/env bash
# Undo, redo, the recovery copy and Ctrl+E with the real program: a "_trace"
# build of tessaloop3 or tessaloop6 in its own Xvfb, driven with xdotool,
# playing into a paced ALSA file device.
#
# The user makes one gesture of each kind (a tempo drag, a drop, a Ctrl
# painting stroke, a note drag, a note key, a pan key, Delete, a pattern
# stored, arrangement letters, a palette picture replaced, a song loaded from
# the list, another drop). Then Ctrl+Z held until nothing is left to undo, and
# Ctrl+Shift+Z held until nothing is left to redo. One more drop and Esc at
# once. The program started again, the recovery copy loaded from SONGS; one
# more drop, the copy complete, and kill -9. Started again, the copy loaded,
# and Ctrl+E while the sound plays.
#
# Checked, each byte for byte against what the session tool builds from this
# test's list of actions through the Sequencer's edit operations: the
# recovery copy songs/last-session.tlp (the song file and the tracks' steps,
# mutes, patterns, song mode and name) after the gestures, after undoing them
# all (the start-up song), after redoing them all, after Esc and after kill -9;
# loading the copy gives a copy again that is the same; the WAV of Ctrl+E is
# the very file tessaloop-render makes of the copy; the sound went on during
# the export; every run ended well (Esc: status 0, a complete capture).
#
# The copy is compared when the trace says it holds every edit ("trace
# recovery: edits E copied C", E = C): the program writes it on its own two
# seconds after the last change, so the test never makes one.
#
# usage: undo_recovery_test.sh SOURCE_DIR PACER PROGRAM SESSION_TOOL RENDER TRACKS

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3
SESSION_TOOL=$4
RENDER=$5
TRACKS=$6
LAST=$((TRACKS - 1))
ACTIONS="$E2E_DIR/actions.txt"
COPY="$RUN_DIR/songs/last-session.tlp"

e2e_require Xvfb xdotool /usr/bin/import /usr/bin/convert
e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
cp "$SOURCE_DIR"/userbitmaps/*.bmp "$RUN_DIR/userbitmaps/"
: >"$ACTIONS"

# A folder like the program's, for the session tool: data/, the user bitmaps
# and the song the user loads.
tool_folder() {
  rm -rf "$1"
  mkdir -p "$1/songs" "$1/userbitmaps"
  ln -s "$SOURCE_DIR/data" "$1/data"
  cp "$SOURCE_DIR"/userbitmaps/*.bmp "$1/userbitmaps/"
}
# songs/other.tlp, the song loaded from the list: track 1's pattern B arranged
# over ten positions at another tempo.
tool_folder "$E2E_DIR/maker"
cat >"$E2E_DIR/maker.txt" <<EOF
slot 0 0 8
slot 0 6 10
slot 0 12 7
store 0 2
$(for p in 0 1 2 3 4 5 6 7 8 9; do echo "arrange 0 $p 2"; done)
tempo 6000
save other
EOF
(cd "$E2E_DIR/maker" && "$SESSION_TOOL" expect "$TRACKS" "$E2E_DIR/maker.txt") ||
  e2e_fail "the session tool made no song to load"
cp "$E2E_DIR/maker/songs/other.tlp" "$RUN_DIR/songs/"

# The recovery copy the session tool writes after the actions so far and the
# lines given: $1 is where it is put.
expected_copy() {
  local out=$1
  shift
  tool_folder "$E2E_DIR/expect"
  cp "$RUN_DIR/songs/other.tlp" "$E2E_DIR/expect/songs/"
  { cat "$ACTIONS"; printf '%s\n' "$@" session; } >"$E2E_DIR/expect.txt"
  (cd "$E2E_DIR/expect" && "$SESSION_TOOL" expect "$TRACKS" "$E2E_DIR/expect.txt") ||
    e2e_fail "the session tool cannot follow the actions"
  cp "$E2E_DIR/expect/songs/last-session.tlp" "$out"
}

act() { echo "$*" >>"$ACTIONS"; }
# The last "trace recovery:" line: the song's edit count in EDITS, the one
# the copy on the disk holds in COPIED.
read_recovery() {
  local line
  line=$(grep '^trace recovery: ' "$LOG" | tail -n 1)
  read -r _ _ _ EDITS _ COPIED <<<"$line"
  EDITS=${EDITS:-0}
  COPIED=${COPIED:-0}
}
# Waits up to 30 s until the copy on the disk holds every edit made, and
# more than $1 of them; then keeps a copy of it as $2.
wait_for_copy() {
  local more_than=$1 keep=$2 i
  for ((i = 0; i < 600; i++)); do
    read_recovery
    if ((EDITS > more_than && COPIED == EDITS)); then
      cp "$COPY" "$keep"
      return 0
    fi
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended while waiting for the copy"
    sleep 0.05
  done
  e2e_fail "the recovery copy did not come to hold all $EDITS edits within 30 s ($COPIED)"
}
same_file() {
  cmp "$1" "$2" >/dev/null ||
    e2e_fail "$3: $(basename "$1") and $(basename "$2") differ at $(cmp "$1" "$2" | cut -d' ' -f3-)"
}
# Gestures, as in the whole-session test, each recorded as the edit it makes.
drop() {
  e2e_drop "$@"
  act slot "$2" "$3" $(($1 + 6))
}
start() {
  e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER
  e2e_wait_for_editor
}

e2e_start_xvfb
start
e2e_note "$(basename "$PROGRAM") on $DISPLAY, test folder $E2E_DIR"
[ -e "$COPY" ] && e2e_fail "a recovery copy before any change"

# ---- One gesture of each kind ----
# The tempo: Ctrl and 55 pixels up, 100 samples a step each (the pointer first
# pushed past the corner, so only the drag's own motion counts).
xdotool mousemove_relative -- -3000 -3000
e2e_pointer_home
e2e_move_to 290 675
e2e_key_down Control_L
e2e_button_down 1
e2e_wait_editor " tempo-drag 1 "
e2e_wait_editor " tempo 11005 "
xdotool mousemove_relative -- 0 -55
e2e_wait_editor " tempo 5505 "
e2e_button_up 1
e2e_key_up Control_L
e2e_wait_editor " tempo-drag 0 "
act tempo 5505
drop 3 0 0
# Ctrl painting: dropped with Ctrl held, it stays on the pointer and paints.
e2e_pick_up 3
e2e_to_cell 0 4
e2e_key_down Control_L
e2e_button_up 1
for cell in "0 4" "0 8" "1 2"; do
  read -r t s <<<"$cell"
  e2e_to_cell "$t" "$s"
  act slot "$t" "$s" 9
done
e2e_key_up Control_L
e2e_wait_editor " carried -1 "
e2e_drag_in_cell 0 4 47 33 && act note 0 4 4 9
e2e_key_on_cell 0 8 g && act semitone 0 8 6
e2e_click_tab 4
e2e_key_on_cell 0 0 8 && act pankey 0 0 8
e2e_key_on_cell 1 2 Delete && act slot 1 2 5
e2e_click_tab 5
e2e_pattern_key store 0 a && act store 0 1
e2e_to_arrangement 0 0
e2e_key_down a
e2e_to_arrangement 0 1
e2e_key_up a
act arrange 0 0 1
act arrange 0 1 1
# The picture of palette square 3 replaced from the user bitmap menu.
# shellcheck disable=SC2010 # the folder's own order is the point, not a glob's
mapfile -t bitmaps < <(ls -U "$RUN_DIR/userbitmaps" | grep -i '\.bmp$')
for ((index = 0; index < ${#bitmaps[@]}; index++)); do
  [ "${bitmaps[index]}" = waves.bmp ] && break
done
e2e_open_bitmap_menu 3 "$index"
e2e_close_bitmap_menu
e2e_wait_for_log '^userbitmaps/waves\.bmp$'
act bitmap 9 userbitmaps/waves.bmp
e2e_click_tab 6
e2e_load_song other.tlp
e2e_wait_for_log '^load tempo$'
act loadsong songs/other.tlp other
drop 2 1 5
read_recovery
gestures_made=$EDITS
wait_for_copy 0 "$E2E_DIR/after-gestures.tlp"
expected_copy "$E2E_DIR/expected-after-gestures.tlp"
same_file "$E2E_DIR/after-gestures.tlp" "$E2E_DIR/expected-after-gestures.tlp" \
  "the copy after the gestures is not the song they make"
e2e_note "gestures made ($gestures_made edits); the copy is the song they make"

# ---- Ctrl+Z until nothing is left: the start-up song ----
e2e_key_down Control_L
e2e_hold_key_until z '^Nothing to undo$'
e2e_key_up Control_L
undo_count=$(grep -c '^Undo: ' "$LOG")
e2e_screenshot undone
wait_for_copy "$gestures_made" "$E2E_DIR/undone.tlp"
(
  ACTIONS=/dev/null
  expected_copy "$E2E_DIR/expected-start.tlp"
)
same_file "$E2E_DIR/undone.tlp" "$E2E_DIR/expected-start.tlp" \
  "undoing every gesture did not give the start-up song"
e2e_note "$undo_count undo steps back to the start-up song, byte for byte"

# ---- Ctrl+Shift+Z until nothing is left: the gestures' song again ----
read_recovery
undone_at=$EDITS
e2e_key_down Control_L
e2e_key_down Shift_L
e2e_hold_key_until z '^Nothing to redo$'
e2e_key_up Shift_L
e2e_key_up Control_L
redo_count=$(grep -c '^Redo: ' "$LOG")
[ "$redo_count" = "$undo_count" ] || e2e_fail "$undo_count undo steps, but $redo_count redone"
wait_for_copy "$undone_at" "$E2E_DIR/redone.tlp"
same_file "$E2E_DIR/redone.tlp" "$E2E_DIR/after-gestures.tlp" \
  "redoing every step did not give the gestures' song again"
e2e_note "$redo_count steps redone, the same song again"

# ---- One more drop and Esc at once: the way out writes it ----
e2e_click_tab 1
drop 0 "$LAST" 15
e2e_quit_with_escape
expected_copy "$E2E_DIR/expected-esc.tlp"
same_file "$COPY" "$E2E_DIR/expected-esc.tlp" "Esc left a copy without the last drop"
cp "$COPY" "$E2E_DIR/esc.tlp"
e2e_note "Esc right after a drop: the copy has it"

# ---- Started again: the copy loaded restores everything ----
start
e2e_click_tab 6
e2e_load_song last-session.tlp
e2e_wait_for_log '^The song holds a session: restoring its tracks too$'
wait_for_copy 0 "$E2E_DIR/restored.tlp"
same_file "$E2E_DIR/restored.tlp" "$E2E_DIR/esc.tlp" "loading the copy did not restore it"
e2e_note "started again: the copy loaded gives the same copy"

# ---- One more drop, the copy complete, and kill -9 ----
read_recovery
restored_at=$EDITS
drop 1 0 15
wait_for_copy "$restored_at" "$E2E_DIR/before-kill.tlp"
expected_copy "$E2E_DIR/expected-kill.tlp"
same_file "$E2E_DIR/before-kill.tlp" "$E2E_DIR/expected-kill.tlp" "the copy lacks the drop"
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null
same_file "$COPY" "$E2E_DIR/expected-kill.tlp" "kill -9 changed the copy"
leftovers=$(find "$RUN_DIR/songs" -type f ! -name '*.tlp')
[ -z "$leftovers" ] || e2e_fail "files left beside the songs: $leftovers"
e2e_note "kill -9: the copy is whole and holds the last drop"

# ---- Started again: the copy loaded, Ctrl+E while the sound plays ----
start
e2e_click_tab 6
e2e_load_song last-session.tlp
wait_for_copy 0 "$E2E_DIR/restored-after-kill.tlp"
same_file "$E2E_DIR/restored-after-kill.tlp" "$E2E_DIR/expected-kill.tlp" \
  "loading the copy after kill -9 did not restore it"
name=$(e2e_editor_field name)
[ "$name" = other ] || e2e_fail "the restored song is named \"$name\", not other"
[ -e "$RUN_DIR/songs/other.wav" ] && e2e_fail "an export before Ctrl+E"
before_export=$(e2e_capture_size)
# With Ctrl held the letters are shortcuts only: the input state the trace
# shows has none, so the press is seen by what it starts.
e2e_key_down Control_L
e2e_hold_key_until e '^Exporting songs/other\.wav$'
e2e_key_up Control_L
e2e_wait_for_log '^Exported songs/other\.wav$' 60
after_export=$(e2e_capture_size)
((after_export > before_export)) || e2e_fail "the sound stopped during the export"
e2e_screenshot exported
(cd "$RUN_DIR" && "$RENDER" songs/last-session.tlp "$E2E_DIR/rendered.wav") >/dev/null ||
  e2e_fail "tessaloop-render refused the copy"
same_file "$RUN_DIR/songs/other.wav" "$E2E_DIR/rendered.wav" \
  "Ctrl+E wrote another file than tessaloop-render"
# A second export of the same song: a numbered name, the same bytes.
e2e_key_down Control_L
e2e_hold_key_until e '^Exporting songs/other-2\.wav$'
e2e_key_up Control_L
e2e_wait_for_log '^Exported songs/other-2\.wav$' 60
same_file "$RUN_DIR/songs/other-2.wav" "$RUN_DIR/songs/other.wav" "two exports of one song differ"
e2e_note "Ctrl+E: songs/other.wav is tessaloop-render's file, byte for byte; again as other-2.wav"
e2e_quit_with_escape
e2e_expect_complete_capture
e2e_pass
