#!/usr/bin/env bash
# A first beat, made as a user makes it: tessaloop3 in a real X server, driven
# with xdotool through held keys and relative mouse motion. The user drops a
# palette sound on a cell, drags the cell's note, stores the track as pattern B
# in tab 5, types B into the arrangement, turns song mode on, saves the song
# under a typed name and quits with Esc. The saved file must hold what was
# done, and the sound that reached the ALSA device must be silent before the
# drop and sounding through a whole pattern once song mode has taken over.
#
# usage: editor_first_beat.sh SOURCE_DIR PACER PROGRAM

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3
RATE=352800 # bytes of capture a second: 44100 stereo float frames

e2e_require Xvfb xdotool od awk /usr/bin/import
e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
e2e_start_xvfb
e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER
e2e_wait_for_window
sleep 1

# ---- Acting as the user ----
# The program's pointer starts at the top-left corner and follows relative
# motion one to one; PX and PY follow it here.
PX=0
PY=0
move_to() {
  xdotool mousemove_relative -- $(($1 - PX)) $(($2 - PY))
  PX=$1
  PY=$2
  sleep 0.15
}
press() { xdotool mousedown 1; sleep 0.15; }
release() { xdotool mouseup 1; sleep 0.15; }
click_at() { move_to "$1" "$2"; press; release; }
# Keys are read as held levels once a frame: each is held longer than a frame,
# and the next comes after the name entry's quarter-second repeat delay.
hold_key() { xdotool keydown "$1"; sleep "${2:-0.12}"; xdotool keyup "$1"; sleep 0.35; }

before=$(e2e_capture_size)
sleep 0.5
[ "$(e2e_capture_size)" -gt "$before" ] || e2e_fail "the sound stream is not running"

# Palette square 4 (slot 9) carried to track 1, step 5, and dropped there.
move_to 224 632
press
move_to 288 56
silent_until=$(e2e_capture_size)
release
e2e_note "sound dropped on track 1, step 5"

# The cell's note: pressed just inside its bottom-left corner, dragged to 34
# pixels right of and 30 below its top-left corner: F# of octave 4.
move_to 257 87
press
move_to 290 54
release

# Tab 5, then B held with the pointer on track 1's Save button.
move_to 340 10
press
release
move_to 30 54
hold_key b

# B held while the pointer runs along the first arrangement row, positions 1-8.
move_to 15 705
xdotool keydown b
sleep 0.15
for column in 1 2 3 4 5 6 7; do move_to $((column * 10 + 15)) 705; done
xdotool keyup b
sleep 0.15

click_at 55 677 # song mode on
song_mode_from=$(e2e_capture_size)
e2e_note "pattern B stored, arranged and playing in song mode"
sleep 5
e2e_screenshot song-mode

# Tab 7: the name emptied and typed anew as beat1, saved with Return.
click_at 470 10
move_to 600 300
hold_key BackSpace 2.5
for k in b e a t 1; do hold_key "$k"; done
hold_key Return
sleep 0.5
e2e_screenshot saved

hold_key Escape
e2e_wait_for_exit 10
[ "$APP_STATUS" = 0 ] || e2e_fail "the program ended with status $APP_STATUS"
e2e_expect_complete_capture

# ---- What the song file holds ----
SONG="$RUN_DIR/songs/beat1.tlp"
[ -f "$SONG" ] || e2e_fail "no songs/beat1.tlp"
mapfile -t tokens < <(tr ',' '\n' <"$SONG")
[ "${#tokens[@]}" -eq 3777 ] || e2e_fail "the song has ${#tokens[@]} tokens, not 3777"
for position in 0 1 2 3 4 5 6 7; do
  [ "${tokens[position]}" = 2 ] || e2e_fail "arrangement position $position holds ${tokens[position]}"
done
[ "${tokens[8]}" = 24 ] || e2e_fail "arrangement position 9 changed"
[ "${tokens[101]}" = 24 ] || e2e_fail "track 2's arrangement changed"
# Pattern B's cell 5: attack decay slide-length slide octave semitone pan slot.
cell=$((303 + (2 * 16 + 4) * 8))
[ "${tokens[cell + 4]}" = 4 ] || e2e_fail "pattern B step 5 has octave ${tokens[cell + 4]}"
[ "${tokens[cell + 5]}" = 6 ] || e2e_fail "pattern B step 5 has semitone ${tokens[cell + 5]}"
[ "${tokens[cell + 7]}" = 9 ] || e2e_fail "pattern B step 5 has slot ${tokens[cell + 7]}"
[ "${tokens[cell - 1]}" = 5 ] || e2e_fail "pattern B step 4 is not a rest"
e2e_note "songs/beat1.tlp holds pattern B with F#4 on step 5 and B at positions 1-8"

# ---- What the sound device received ----
# The largest magnitude among the float samples of a byte range of the capture.
peak() {
  od -An -v -f -j "$1" -N "$2" "$CAPTURE" |
    awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } } END { print m + 0 }'
}
quiet=$(peak 0 "$silent_until")
awk -v p="$quiet" 'BEGIN { exit !(p == 0) }' || e2e_fail "sound before the drop (peak $quiet)"
# A whole pattern (16 steps of 11005 samples, 4 s) from 4.5 s after song mode
# came on: by then the arrangement has moved on to pattern B at position 2.
start=$((song_mode_from + RATE * 9 / 2))
length=$((RATE * 4))
[ "$(e2e_capture_size)" -ge $((start + length)) ] || e2e_fail "the capture is too short"
loud=$(peak "$start" "$length")
awk -v p="$loud" 'BEGIN { exit !(p > 0.01) }' || e2e_fail "silence in song mode (peak $loud)"
e2e_note "silent before the drop; peak $loud through a pattern in song mode"
e2e_pass
