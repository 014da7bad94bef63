#!/usr/bin/env bash
# A first beat, made as a user makes it: tessaloop3 in a real X server, driven
# with xdotool through held keys and relative mouse motion (its "_trace" build,
# so that every action is waited for until a frame has taken it). The user
# drops a palette sound on a cell, drags the cell's note, stores the track as
# pattern B in tab 5, types B into the arrangement, turns song mode on, saves
# the song under a typed name and quits with Esc. The saved file must hold what was
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
e2e_wait_for_editor

before=$(e2e_capture_size)
e2e_wait_capture $((before + RATE / 2)) 10 # the sound stream is running

# Palette square 4 (slot 9) carried to track 1, step 5, and dropped there.
# Everything the device holds up to the drop was made before it.
e2e_pick_up 3
e2e_to_cell 0 4
silent_until=$(e2e_capture_size)
e2e_put_down
e2e_note "sound dropped on track 1, step 5"

# The cell's note: pressed just inside its bottom-left corner, dragged to 34
# pixels right of and 30 below its top-left corner: F# of octave 4.
e2e_drag_in_cell 0 4 34 30 1 63
e2e_wait_editor " cell 0 4 octave 4 "

# Tab 5, then B held with the pointer on track 1's Save button.
e2e_click_tab 5
e2e_pattern_key store 0 b

# B held while the pointer runs along the first arrangement row, positions 1-8.
e2e_to_arrangement 0 0
e2e_key_down b
for position in 1 2 3 4 5 6 7; do e2e_to_arrangement 0 "$position"; done
e2e_key_up b

# Song mode on: from the next pattern boundary, position 1 (pattern B) plays.
e2e_set_song_mode 1
e2e_wait_editor ' song-mode 1 .* position 1 ' 15
song_from=$(e2e_capture_from_now)
e2e_note "pattern B stored, arranged and playing in song mode"
# A whole pattern (16 steps of 11005 samples, 4 s) of song mode, made after
# position 1 began: positions 1-8 all play pattern B.
length=$((16 * 11005 * 8))
e2e_wait_capture $((song_from + length))
e2e_screenshot song-mode

# Tab 7: the name emptied and typed anew (B held: twelve b's), saved with
# Return.
e2e_click_tab 7
e2e_move_to 600 300
e2e_save_as b
e2e_wait_for_log "^songs/$SAVED_NAME\\.tlp$"
e2e_screenshot saved

e2e_quit_with_escape
e2e_expect_complete_capture

# ---- What the song file holds ----
SONG="$RUN_DIR/songs/$SAVED_NAME.tlp"
[ -f "$SONG" ] || e2e_fail "no songs/$SAVED_NAME.tlp"
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
e2e_note "songs/$SAVED_NAME.tlp holds pattern B with F#4 on step 5 and B at positions 1-8"

# ---- What the sound device received ----
# The largest magnitude among the float samples of a byte range of the capture.
peak() {
  od -An -v -f -j "$1" -N "$2" "$CAPTURE" |
    awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } } END { print m + 0 }'
}
quiet=$(peak 0 "$silent_until")
awk -v p="$quiet" 'BEGIN { exit !(p == 0) }' || e2e_fail "sound before the drop (peak $quiet)"
loud=$(peak "$song_from" "$length")
awk -v p="$loud" 'BEGIN { exit !(p > 0.01) }' || e2e_fail "silence in song mode (peak $loud)"
e2e_note "silent before the drop; peak $loud through a pattern in song mode"
e2e_pass
