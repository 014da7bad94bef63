#!/usr/bin/env bash
# The README's "A first beat in ten steps", done step by step as it words them:
# tessaloop3 in a real X server, driven with xdotool through held keys and the
# pointer (its "_trace" build, so that every action is waited for until a frame
# has taken it).
#
#  1. The program opens on NOTE, its sound already running (and silent).
#  2. The star (palette square 4) dropped on track 1, steps 1, 5, 9 and 13.
#  3. Another sound Ctrl-painted on track 2 from step 3 to step 16, then
#     Delete on steps 5, 9 and 13.
#  4. On track 1, step 5: the note key X (D), Up twice and Down once, each
#     press one octave; a note drag on step 9 (F#4).
#  5. ENVELOPE: a drag towards the top left on track 1, step 1.
#  6. The tempo dragged up (faster), then down with Shift (fine steps).
#  7. PATTERNS: track 1 saved as A, track 2 as B.
#  8. A over the first eight letters of arrangement row 1, B over row 2's.
#  9. Song mode on: from the next pattern boundary each track plays its own
#     pattern. The screen shows it (the editor's trace names no step's
#     contents, the picture of every step does); and once the arrangement has played past
#     the arranged letters (the tracks empty), started again from the first
#     position, the tracks show A and B again, brought back from the bank.
# 10. NAME: Backspace until the name is empty, "beat1" typed, Return saves
#     songs/beat1.tlp; SONGS lists it; Esc quits.
#
# Checked in songs/beat1.tlp: pattern A holds track 1's steps and pattern B
# track 2's, and they differ; the arrangement, the note, octave and envelope
# edits, the star's picture and the tempo. In the sound: silence before the
# first drop, sound through a pattern of song mode.
#
# usage: editor_first_beat.sh SOURCE_DIR PACER PROGRAM

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3
STAR=3        # palette square 4, the star (slot 9)
PAINT=9       # palette square 10, the sound of track 2 (slot 15)
DELETED="4 8 12" # track 2's steps 5, 9 and 13, made silent again

e2e_require Xvfb xdotool od awk /usr/bin/import /usr/bin/convert /usr/bin/compare
e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
e2e_start_xvfb
e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER

# One press of a key that repeats while held (the octave keys, the name's
# keys), as a tap: down and up at once, which the program reads as held for
# one frame, too short for any repeat. Once no key delay runs (a key the
# delay holds back would be lost), tapped until the editor shows its effect
# (the extended regular expression $2 on the editor's trace); once a later
# frame has read the key let go, the editor must still show that: one press,
# one action.
press_once() {
  local last
  e2e_wait_input '^trace input: hold [0-9]+ delay 0 ' 5
  xdotool key "$1"
  e2e_wait_editor "$2"
  e2e_key_up "$1"
  last=$(grep '^trace editor: ' "$LOG" | tail -n 1)
  [[ $last =~ $2 ]] || e2e_fail "one press of $1 acted more than once: $last"
}

# ---- 1. The window opens on NOTE; the music runs, silently ----
e2e_wait_for_editor
before=$(e2e_capture_size)
e2e_wait_capture $((before + 352800 / 2)) 10 # half a second of sound made
e2e_note "1. NOTE open, the sound running"

# ---- 2. The star on track 1, steps 1, 5, 9 and 13 ----
# Everything the device holds up to the first drop was made before it.
e2e_pick_up $STAR
e2e_to_cell 0 0
silent_until=$(e2e_capture_size)
e2e_put_down
e2e_drop $STAR 0 4 8 12
e2e_note "2. the star on track 1, steps 1, 5, 9, 13"

# ---- 3. Track 2 painted with Ctrl from step 3 to step 16, some steps deleted ----
e2e_pick_up $PAINT
e2e_to_cell 1 2
e2e_key_down Control_L
e2e_button_up 1
e2e_wait_editor " carried $((PAINT + 6)) " # let go of, and still on the pointer
for step in $(seq 3 15); do e2e_to_cell 1 "$step"; done
e2e_key_up Control_L
e2e_wait_editor " carried -1 "
for step in $DELETED; do e2e_key_on_cell 1 "$step" Delete; done
e2e_note "3. track 2 painted from step 3 to 16, steps 5, 9, 13 deleted"

# ---- 4. A note key, Up and Down on track 1, step 5; a note drag on step 9 ----
e2e_to_cell 0 4
e2e_tap x
octave=$(e2e_editor_field octave)
if [ "$octave" -lt 0 ] || [ "$octave" -gt 8 ]; then e2e_fail "a dropped step has octave $octave"; fi
press_once Up " cell 0 4 octave $((octave + 1)) "
press_once Up " cell 0 4 octave $((octave + 2)) "
press_once Down " cell 0 4 octave $((octave + 1)) "
octave=$((octave + 1))
# Pressed just inside the bottom-left corner, dragged to 34 pixels right of
# and 30 below the top-left corner: F# of octave 4.
e2e_drag_in_cell 0 8 34 30 1 63
e2e_wait_editor " cell 0 8 octave 4 "
e2e_note "4. track 1 step 5: D, each octave key press one octave (now $octave); step 9 dragged to F#4"

# ---- 5. ENVELOPE: a drag towards the top left on track 1, step 1 ----
e2e_click_tab 2
e2e_drag_in_cell 0 0 4 4 40 40
e2e_note "5. track 1 step 1's envelope dragged to the top left"

# ---- 6. The tempo: up to play faster, down with Shift in fine steps ----
# Let go, the pointer is back where the drag began.
tempo=$(e2e_editor_field tempo)
e2e_move_to 290 675
e2e_button_down 1
e2e_wait_editor " tempo-drag 1 "
xdotool mousemove_relative -- 0 -30
e2e_wait_editor " tempo $((tempo - 300)) "
e2e_button_up 1
e2e_wait_editor " tempo-drag 0 "
e2e_wait_input " pointer 290 675 "
e2e_key_down Shift_L
e2e_button_down 1
e2e_wait_editor " tempo-drag 1 "
xdotool mousemove_relative -- 0 7
e2e_wait_editor " tempo $((tempo - 300 + 7)) "
e2e_button_up 1
e2e_key_up Shift_L
e2e_wait_editor " tempo-drag 0 "
e2e_wait_input " pointer 290 675 "
tempo=$((tempo - 293))
e2e_note "6. the tempo dragged up 30 pixels and down 7 with Shift: $tempo samples a step"

# ---- 7. PATTERNS: track 1 saved as A, track 2 as B ----
e2e_click_tab 5
e2e_pattern_key store 0 a
e2e_pattern_key store 1 b
e2e_note "7. track 1 stored as A, track 2 as B"

# ---- 8. A over row 1's first eight letters, B over row 2's ----
for position in 0 1 2 3 4 5 6 7; do
  e2e_to_arrangement 0 "$position"
  e2e_tap a
done
for position in 0 1 2 3 4 5 6 7; do
  e2e_to_arrangement 1 "$position"
  e2e_tap b
done
e2e_note "8. A and B at positions 1-8 of rows 1 and 2"

# ---- 9. Song mode: each track plays its own pattern ----
# What the tracks' steps hold, as the screen shows them: for each track, the
# steps given sound palette square $2's picture and the others are rests
# (white). "track:square:step step ..." per track. Only steps 3-16, above and
# below the playing step's dot: steps 1 and 2 are under the Save and Load
# buttons in PATTERNS; and not the current step, which has a frame.
tracks_show() {
  local shot=$1 given track square steps step rows=() current_track current_step
  shift
  read -r current_track current_step < <(grep '^trace editor: ' "$LOG" | tail -n 1 |
    sed -n 's/.* cell \([-0-9]*\) \([-0-9]*\) .*/\1 \2/p')
  for given in "$@"; do
    IFS=: read -r track square steps <<<"$given"
    /usr/bin/convert "$E2E_DIR/$shot.png" -crop "64x64+$((square * 64))+600" +repage \
      "$E2E_DIR/$shot-square-$square.png"
    rows+=("(")
    for step in $(seq 2 15); do
      if [[ " $steps " == *" $step "* ]]; then
        rows+=("$E2E_DIR/$shot-square-$square.png")
      else
        rows+=("(" -size 64x64 xc:white ")")
      fi
    done
    rows+=(+append ")")
  done
  local hide=(-fill black -draw "rectangle 0,20 895,43" -draw "rectangle 0,84 895,107"
    -draw "rectangle 0,148 895,171")
  if [ "${current_step:--1}" -ge 2 ]; then
    hide+=(-draw "rectangle $(((current_step - 2) * 64)),$((current_track * 64))
      $(((current_step - 1) * 64 - 1)),$(((current_track + 1) * 64 - 1))")
  fi
  /usr/bin/convert "${rows[@]}" -append "${hide[@]}" "$E2E_DIR/$shot-expected.png"
  /usr/bin/convert "$E2E_DIR/$shot.png" -crop 896x192+128+24 +repage "${hide[@]}" "$E2E_DIR/$shot-tracks.png"
  [ "$(/usr/bin/compare -metric AE -fuzz 4% "$E2E_DIR/$shot-tracks.png" "$E2E_DIR/$shot-expected.png" null: 2>&1)" = 0 ]
}
both_own_patterns() { tracks_show "$1" "0:$STAR:4 8 12" "1:$PAINT:2 3 5 6 7 9 10 11 13 14 15" "2:0:"; }
both_empty() { tracks_show "$1" "0:$STAR:" "1:$PAINT:" "2:0:"; }

e2e_set_song_mode 1
# The position moves before the patterns load: from position 0, the next
# boundary plays position 1.
e2e_wait_editor ' song-mode 1 .* position 1 ' 15
song_from=$(e2e_capture_from_now)
e2e_screenshot_until song-mode both_own_patterns song-mode
e2e_note "9. song mode on: at position 2 track 1 plays A's steps, track 2 B's"
# Past the arranged letters: position 9 plays X, the empty pattern, on every
# track; then from the first position again, A and B come back from the bank.
e2e_click_until 85 695 " position 7 "
e2e_wait_editor ' song-mode 1 .* position 8 ' 15
e2e_screenshot_until song-mode-x both_empty song-mode-x
e2e_click_until 15 695 " position 0 "
e2e_wait_editor ' song-mode 1 .* position 1 ' 15
e2e_screenshot_until song-mode-again both_own_patterns song-mode-again
e2e_note "   past the letters every track empty; from the start again A and B, each on its own track"
# A whole pattern of song mode at position 2, made after it began.
length=$((16 * tempo * 8))
e2e_wait_capture $((song_from + length))

# ---- 10. NAME: emptied, beat1 typed, saved with Return; SONGS lists it; Esc ----
e2e_click_tab 7
e2e_move_to 600 300
name=$(e2e_editor_field name)
while [ -n "$name" ]; do
  press_once BackSpace " name \"${name%?}\"$"
  name=${name%?}
done
for key in b e a t 1; do
  name+=$key
  press_once "$key" " name \"$name\"$"
done
e2e_wait_frame_after '^trace editor: .* name "beat1"$'
e2e_screenshot name-typed
e2e_hold_key_until Return '^trace editor: tab 1 '
e2e_wait_for_log '^songs/beat1\.tlp$'
[ -f "$RUN_DIR/songs/beat1.tlp" ] || e2e_fail "Return saved no songs/beat1.tlp"
# SONGS: beat1.tlp chosen shows the name as NAME showed it while it was
# typed. The recovery copy stands in the list too. Once it ends in the name
# beat1 it holds every edit, so it is not written again and the folder stays
# as the list reads it.
e2e_wait_for_file_end "$RUN_DIR/songs/last-session.tlp" ',beat1,' 30
e2e_click_tab 6
e2e_wait_editor ' tab 6 .* song 0 '
e2e_choose_song beat1.tlp
e2e_screenshot_until songs-tab e2e_art_is_there songs-tab "$E2E_DIR/name-typed.png" 524 6 40 12 514 6
e2e_note "10. NAME emptied, beat1 typed and saved; SONGS lists beat1"
e2e_quit_with_escape
e2e_expect_complete_capture

# ---- What songs/beat1.tlp holds ----
SONG="$RUN_DIR/songs/beat1.tlp"
mapfile -t tokens < <(tr ',' '\n' <"$SONG")
[ "${#tokens[@]}" -eq 3777 ] || e2e_fail "the song has ${#tokens[@]} tokens, not 3777"
# The arrangement: A (1) at row 1's positions 1-8, B (2) at row 2's, X (24)
# everywhere else.
for track in 0 1 2; do
  for ((position = 0; position < 101; position++)); do
    want=24
    [ "$position" -lt 8 ] && [ "$track" -lt 2 ] && want=$((track + 1))
    [ "${tokens[track * 101 + position]}" = "$want" ] ||
      e2e_fail "row $((track + 1)) position $((position + 1)) holds ${tokens[track * 101 + position]}, not $want"
  done
done
# Value $3 of step $2 of pattern $1: attack decay slide-length slide octave
# semitone pan slot.
value() { echo "${tokens[303 + ($1 * 16 + $2) * 8 + $3]}"; }
pattern() { echo "${tokens[*]:303 + $1 * 128:128}"; }
# Pattern A: track 1's steps, the star on 1, 5, 9, 13 and rests (5) between.
for step in $(seq 0 15); do
  want=5
  [ $((step % 4)) = 0 ] && want=$((STAR + 6))
  [ "$(value 1 "$step" 7)" = "$want" ] ||
    e2e_fail "pattern A step $((step + 1)) has slot $(value 1 "$step" 7), not $want"
done
# Pattern B: track 2's steps, the painted sound on 3-16 but the deleted ones.
for step in $(seq 0 15); do
  want=$((PAINT + 6))
  case " 0 1 $DELETED " in *" $step "*) want=5 ;; esac
  [ "$(value 2 "$step" 7)" = "$want" ] ||
    e2e_fail "pattern B step $((step + 1)) has slot $(value 2 "$step" 7), not $want"
done
[ "$(pattern 1)" != "$(pattern 2)" ] || e2e_fail "patterns A and B are the same"
[ "${tokens[3759 + STAR + 1]}" = data/cellstar.bmp ] ||
  e2e_fail "the star's slot holds ${tokens[3759 + STAR + 1]}"
# Step 5: D (the note key X) at the octave the keys left; step 9: F#4.
[ "$(value 1 4 5)" = 2 ] || e2e_fail "pattern A step 5 has semitone $(value 1 4 5), not D"
[ "$(value 1 4 4)" = "$octave" ] || e2e_fail "pattern A step 5 has octave $(value 1 4 4), not $octave"
[ "$(value 1 8 5)/$(value 1 8 4)" = 6/4 ] ||
  e2e_fail "pattern A step 9 is not F#4: octave $(value 1 8 4), semitone $(value 1 8 5)"
# Step 1: a quick attack and a quick decay, near their ends; step 5 keeps the
# middle a dropped step has.
awk -v a="$(value 1 0 0)" -v d="$(value 1 0 1)" -v a5="$(value 1 4 0)" -v d5="$(value 1 4 1)" \
  'BEGIN { exit !(a < 0.1 && d < 0.1 && a5 == 0.5 && d5 == 0.5) }' ||
  e2e_fail "pattern A's envelopes: step 1 $(value 1 0 0) $(value 1 0 1), step 5 $(value 1 4 0) $(value 1 4 1)"
[ "${tokens[3776]}" = "$tempo" ] || e2e_fail "the song's tempo is ${tokens[3776]}, not $tempo"
e2e_note "songs/beat1.tlp: pattern A holds track 1's steps, B track 2's; arrangement, notes, envelope, tempo"

# ---- What the sound device received ----
# The largest magnitude among the float samples of a byte range of the capture.
peak() {
  od -An -v -f -j "$1" -N "$2" "$CAPTURE" |
    awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } } END { print m + 0 }'
}
quiet=$(peak 0 "$silent_until")
awk -v p="$quiet" 'BEGIN { exit !(p == 0) }' || e2e_fail "sound before the first drop (peak $quiet)"
loud=$(peak "$song_from" "$length")
awk -v p="$loud" 'BEGIN { exit !(p > 0.01) }' || e2e_fail "silence in song mode (peak $loud)"
e2e_note "silent before the first drop; peak $loud through a pattern in song mode"
e2e_pass
