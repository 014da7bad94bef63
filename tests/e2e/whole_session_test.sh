#!/usr/bin/env bash
# A whole session with the real program, as a user has it: a "_trace" build of
# tessaloop3 or tessaloop6 in its own Xvfb, driven with xdotool (held keys and
# buttons, the X pointer moved to places and by motion), playing into a paced
# ALSA file device.
#
# The user speeds up the tempo, composes on three tracks (palette drags and
# drops, Ctrl-painting, note drags and note keys, envelope, slide and pan by
# dragging and by keys, Delete, F5 and F6), stores patterns A, B and C, writes
# an arrangement with letter keys, loads a user bitmap into the palette square
# the song uses, turns song mode on, mutes and unmutes a track and saves the
# song, groove1 below (named with a held key, as e2e_save_as says why: twelve
# a's). Then a second, different song: song mode off, the tracks cleared by
# loading an empty pattern, other sounds and notes, patterns stored again, the
# arrangement changed, the tempo dragged finely, saved as groove2 (twelve b's).
# Last the first song is loaded back from the song list, song mode turned on
# with the position set so that the song starts over from its first position,
# and the program is left with Esc.
#
# Checked: each saved file byte for byte against the same song built from this
# session's list of actions by the Sequencer and saved by the song writer; the
# sound silent before the first drop and sounding while each song is composed;
# what the program played after loading groove1 equal, frame for frame and bit
# for bit, to what tessaloop-render makes of songs/groove1.tlp; the operations
# in the debug log in order; exit status 0, a complete capture, no sanitizer
# report.
#
# Why the render can be compared bit for bit: a voice keeps its read position
# in its wavetable from note to note (the wave goes on where it was), so the
# program's voices, running since start-up, read a tone's table elsewhere than
# the exporter's fresh ones. groove1 therefore sounds only the test's user
# bitmap, whose blue channel (the wave) is one flat value: the same at every
# read position. Everything else (steps, tempo, arrangement, pattern changes,
# envelopes, pan, the mix of the tracks) must agree exactly.
#
# usage: whole_session_test.sh SOURCE_DIR PACER PROGRAM SESSION_TOOL RENDER TRACKS

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3
SESSION_TOOL=$4
RENDER=$5
TRACKS=$6
RATE=352800 # bytes of capture a second: 44100 stereo float frames
LAST=$((TRACKS - 1))
ACTIONS="$E2E_DIR/actions.txt"
STARTED=$(date +%s%N)

e2e_require Xvfb xdotool /usr/bin/import /usr/bin/convert
e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
# The user's bitmaps: the shipped examples and the test's own flat one.
cp "$SOURCE_DIR"/userbitmaps/*.bmp "$RUN_DIR/userbitmaps/"
# thump.bmp: a 210 x 210 picture whose blue channel is one flat value (its
# red and green draw rings and stripes), so its wave is the same at every read
# position.
/usr/bin/convert -size 210x210 'xc:rgb(40,60,192)' \
  -channel R -fx 'mod(floor(hypot(i-105,j-105)/12),2) ? 0.9 : 0.16' \
  -channel G -fx 'mod(floor((i+j)/21),2) ? 0.78 : 0.24' +channel -alpha off -type TrueColor \
  "BMP3:$RUN_DIR/userbitmaps/thump.bmp" || e2e_fail "no user bitmap"
e2e_start_xvfb
e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER
e2e_wait_for_editor
e2e_note "$(basename "$PROGRAM") on $DISPLAY, test folder $E2E_DIR"

# ---- The user's moves, each recorded as the edit it makes ----
act() { echo "$*" >>"$ACTIONS"; }
seconds_since_start() {
  local ms=$((($(date +%s%N) - STARTED) / 1000000))
  printf '%d.%03d' $((ms / 1000)) $((ms % 1000))
}
# Palette square $1 carried to cell (track $2, step $3) and dropped there.
drop() {
  e2e_drop "$@"
  act slot "$2" "$3" $(($1 + 6))
}
# Palette square $1 dropped on the first of the cells "track step ..." with
# Ctrl held, which keeps it on the pointer to paint the others.
paint() {
  local square=$1 slot=$(($1 + 6))
  shift
  e2e_pick_up "$square"
  e2e_to_cell "$1" "$2"
  e2e_key_down Control_L
  e2e_button_up 1
  act slot "$1" "$2" "$slot"
  shift 2
  while [ $# -gt 0 ]; do
    e2e_to_cell "$1" "$2"
    act slot "$1" "$2" "$slot"
    shift 2
  done
  e2e_key_up Control_L
  e2e_wait_editor " carried -1 "
}
# Tab 1: semitone = x / 5, octave = (64 - y) / 7 of the pointer in the cell.
note_drag() {
  e2e_drag_in_cell "$1" "$2" $((5 * $4 + 2)) $((61 - 7 * $3))
  act note "$1" "$2" "$3" "$4"
}
# Tab 5: letter $3 tapped over the Save (store) or Load (load) button of
# track $2.
pattern_button() {
  e2e_pattern_key "$@"
  act "$1" "$2" $(($(printf '%d' "'$3") - 96))
}
# Letter $3 held while the pointer passes the arrangement row of track $1 from
# position $2 to position $4.
arrange() {
  local t=$1 from=$2 letter=$3 to=${4:-$2} j
  e2e_to_arrangement "$t" "$from"
  e2e_key_down "$letter"
  for ((j = from; j <= to; j++)); do
    e2e_to_arrangement "$t" "$j"
    act arrange "$t" "$j" $(($(printf '%d' "'$letter") - 96))
  done
  e2e_key_up "$letter"
}
# A drag of the tempo started with the modifier key $1 held.
drag_tempo() {
  e2e_move_to 290 675
  e2e_key_down "$1"
  e2e_button_down 1
  e2e_wait_editor " tempo-drag 1 "
}
# Tab 7: the name typed anew (twelve of the key $1) and saved with Return.
save_as() {
  e2e_click_tab 7
  e2e_move_to 600 450
  e2e_save_as "$1"
  e2e_wait_for_log "^songs/$SAVED_NAME\\.tlp$"
  act save "$SAVED_NAME"
}

# ---- The tempo, before anything sounds: Ctrl and a drag of 55 pixels up ----
# Only the drag's own motion counts: pushed far past the screen's corner
# first, the pointer's lost motion leaves the tempo where it was, and the 55
# pixels then take 100 samples a step off each. Let go, the pointer is where
# the drag began.
xdotool mousemove_relative -- -3000 -3000
e2e_pointer_home
e2e_screenshot first-frame
drag_tempo Control_L
e2e_wait_editor " tempo 11005 "
xdotool mousemove_relative -- 0 -55
e2e_wait_editor " tempo 5505 "
e2e_button_up 1
e2e_key_up Control_L
act tempo 5505
e2e_wait_editor " tempo-drag 0 "
e2e_wait_input " pointer 290 675 "

# ---- The first song, on tracks 0, 1 and the last, with palette square 3 ----
silence_until=$(e2e_capture_size)
drop 3 0 0
drop 3 0 4
paint 3 0 8 0 12 1 2 1 14
drop 3 1 10
drop 3 "$LAST" 6
# From here track 0 starts a note every fourth step, every half second.
composing_from=$(e2e_capture_from_now)
note_drag 0 4 4 9 # A4
note_drag 1 2 5 0 # C5
e2e_key_on_cell 0 8 g && act semitone 0 8 6
e2e_key_on_cell 0 8 2 && act octave 0 8 2
# Down held: the octave falls by one at the press and about four a second
# after, down to 0.
e2e_to_cell 0 12
e2e_key_down Down
e2e_wait_editor " cell 0 12 octave 0 "
e2e_key_up Down
act octave 0 12 0
e2e_note "$(seconds_since_start) s: sounds dropped, painted and tuned"

e2e_click_tab 2
e2e_drag_in_cell 0 0 16 8 && act envelope 0 0 16 8
e2e_drag_in_cell 0 4 40 20 && act envelope 0 4 40 20
e2e_click_tab 3
e2e_drag_in_cell 0 8 48 12 && act slide 0 8 48 12
e2e_drag_in_cell "$LAST" 6 20 50 && act slide "$LAST" 6 20 50
e2e_click_tab 4
e2e_drag_in_cell 1 2 10 32 && act pan 1 2 10
e2e_key_on_cell 0 0 8 && act pankey 0 0 8
e2e_key_on_cell 1 10 3 && act pankey 1 10 3
e2e_key_on_cell 1 14 Delete && act slot 1 14 5
e2e_key_on_cell 0 4 F5 && act copy 0 4
e2e_key_on_cell "$LAST" 14 F6 && act paste "$LAST" 14
e2e_key_on_cell 1 6 F6 && act paste 1 6
e2e_screenshot composed

e2e_click_tab 5
pattern_button store 0 a
pattern_button store 1 b
pattern_button store "$LAST" c
arrange 0 0 a 1
arrange 0 2 b
arrange 0 3 a
arrange 1 0 b 3
arrange "$LAST" 0 c
arrange "$LAST" 2 c
e2e_note "$(seconds_since_start) s: patterns A, B, C stored and arranged"

# The user bitmap menu of square 3, open while the right button is held; let
# go over the name of the flat bitmap. The names are listed in the order the
# folder gives them.
# shellcheck disable=SC2010 # the folder's own order is the point, not a glob's
mapfile -t bitmaps < <(ls -U "$RUN_DIR/userbitmaps" | grep -i '\.bmp$')
for ((index = 0; index < ${#bitmaps[@]}; index++)); do
  [ "${bitmaps[index]}" = thump.bmp ] && break
done
e2e_open_bitmap_menu 3 "$index"
e2e_screenshot bitmap-menu
e2e_close_bitmap_menu
e2e_wait_for_log '^userbitmaps/thump\.bmp$'
act bitmap 9 userbitmaps/thump.bmp
composing_to=$(e2e_capture_size)

e2e_set_song_mode 1
e2e_click_until "$(e2e_mute_button_x 1)" 676 " mute 01"
e2e_click_until "$(e2e_mute_button_x 1)" 676 " mute 0+ carried"
e2e_note "$(seconds_since_start) s: user bitmap loaded, song mode on, track 2 muted and unmuted"

save_as a
GROOVE1=$SAVED_NAME
e2e_note "$(seconds_since_start) s: saved as $GROOVE1"

# ---- The second song: tones on cleared tracks, patterns and tempo anew ----
e2e_set_song_mode 0
e2e_click_tab 5
for t in 0 1 "$LAST"; do pattern_button load "$t" x; done
e2e_click_tab 1
drop 0 0 0
drop 0 0 8
drop 10 1 4
drop 10 "$LAST" 12
second_from=$(e2e_capture_from_now)
note_drag 1 4 3 7 # G3
e2e_key_on_cell 0 8 m && act semitone 0 8 11
e2e_click_tab 5
pattern_button store 0 a
pattern_button store 1 d
pattern_button store "$LAST" b
arrange 0 0 d
arrange 1 1 d
# Shift: one sample a step per pixel; 40 pixels up makes the steps shorter.
drag_tempo Shift_L
xdotool mousemove_relative -- 0 -40
e2e_wait_editor " tempo 5465 "
e2e_button_up 1
e2e_key_up Shift_L
act tempo 5465
second_to=$(e2e_capture_size)
save_as b
GROOVE2=$SAVED_NAME
e2e_note "$(seconds_since_start) s: second song saved as $GROOVE2"

# ---- groove1 back from the song list ----
e2e_click_tab 6
e2e_wait_editor ' song 0 entry '
e2e_load_song "$GROOVE1.tlp"
e2e_wait_for_log '^load tempo$'
e2e_wait_editor ' tempo 5505 '
# Song mode on, and the position set to 98: the next pattern end plays
# position 99 (the empty pattern X, in which every voice dies away), the one
# after it position 0, where the exporter starts.
e2e_set_song_mode 1
compare_from=$(($(e2e_capture_size) / 8 - 44100))
e2e_click_until 995 695 " position 98 "
e2e_wait_editor ' position 0 ' 10
e2e_screenshot groove1-playing
e2e_note "$(seconds_since_start) s: groove1 loaded and playing from position 0"
# Four positions (0-3) are arranged; when position 4 begins they have all been
# played. The program runs on until they have all reached the device: the
# comparison says how far the capture must reach.
e2e_wait_editor ' position 4 ' 15
(cd "$RUN_DIR" && "$RENDER" "songs/$GROOVE1.tlp" "$E2E_DIR/groove1.wav") >"$E2E_DIR/render.log" 2>&1 ||
  e2e_fail "tessaloop-render failed: $(cat "$E2E_DIR/render.log")"
SO_FAR=$("$SESSION_TOOL" compare "$CAPTURE" "$E2E_DIR/groove1.wav" "$compare_from")
if [ $? = 3 ]; then
  read -r _ _ _ _ RENDER_FRAMES _ _ _ _ _ AT <<<"$SO_FAR"
  e2e_wait_capture $(((AT + RENDER_FRAMES) * 8))
fi

e2e_quit_with_escape
e2e_expect_complete_capture
if grep -Eq 'Sanitizer|runtime error' "$E2E_DIR/app.log"; then
  e2e_fail "a sanitizer reported: $(grep -Em1 'Sanitizer|runtime error' "$E2E_DIR/app.log")"
fi
e2e_note "$(seconds_since_start) s: Esc, exit status 0, $CAPTURE_FRAMES frames captured"

# ---- The saved files, byte for byte ----
EXPECT_DIR="$E2E_DIR/expected"
mkdir -p "$EXPECT_DIR/songs"
ln -s "$SOURCE_DIR/data" "$EXPECT_DIR/data"
ln -s "$RUN_DIR/userbitmaps" "$EXPECT_DIR/userbitmaps"
(cd "$EXPECT_DIR" && "$SESSION_TOOL" expect "$TRACKS" "$ACTIONS") ||
  e2e_fail "the expected songs could not be built"
for song in "$GROOVE1" "$GROOVE2"; do
  [ -f "$RUN_DIR/songs/$song.tlp" ] || e2e_fail "no songs/$song.tlp"
  cmp "$EXPECT_DIR/songs/$song.tlp" "$RUN_DIR/songs/$song.tlp" ||
    e2e_fail "songs/$song.tlp differs from the song the session made (expected: $EXPECT_DIR/songs/$song.tlp)"
done
cmp -s "$RUN_DIR/songs/$GROOVE1.tlp" "$RUN_DIR/songs/$GROOVE2.tlp" && e2e_fail "the two songs are the same"
e2e_note "songs/$GROOVE1.tlp and $GROOVE2.tlp hold exactly what was done ($(wc -l <"$ACTIONS") edits)"

# ---- The sound: silent at first, sounding while each song was composed ----
peaks_above() { # every whole half second from byte $1 to byte $2 peaks above $3
  local chunk=$((RATE / 2))
  "$SESSION_TOOL" peaks "$CAPTURE" "$1" $(($1 + ($2 - $1) / chunk * chunk)) $chunk |
    awk -v floor="$3" '$2 <= floor { print; bad = 1 } END { exit bad }'
}
"$SESSION_TOOL" peaks "$CAPTURE" 0 "$silence_until" "$silence_until" | awk '{ exit !($2 == 0) }' ||
  e2e_fail "sound before the first drop"
quiet_chunks=$(peaks_above "$composing_from" "$composing_to" 0.01) ||
  e2e_fail "silence while the first song was composed: $quiet_chunks"
quiet_chunks=$(peaks_above "$second_from" "$second_to" 0.01) ||
  e2e_fail "silence while the second song was composed: $quiet_chunks"
e2e_note "silent before the first drop; sounding in every half second of composing both songs"

# ---- After the load: the program played what the exporter renders ----
COMPARED=$("$SESSION_TOOL" compare "$CAPTURE" "$E2E_DIR/groove1.wav" "$compare_from") ||
  e2e_fail "the sound after the load is not the render of groove1: $COMPARED"
e2e_note "after the load, $COMPARED"

# ---- The debug log: the operations in order ----
e2e_expect_log_order "reading directory" "Creating surface:9" "Loading bitmap" \
  "userbitmaps/thump.bmp" "Saving Patch" "songs/$GROOVE1.tlp" "Saving Patch" \
  "songs/$GROOVE2.tlp" "reading directory" "-----------" "Loading seq" "songs/$GROOVE1.tlp" \
  "load song pattern" "load wavetables" "load bmp palette" "userbitmaps/thump.bmp" "load tempo"
if grep -Eq '^(Song not|Bitmap invalid|Left out)' "$LOG"; then
  e2e_fail "debug.txt reports a failure: $(grep -Em1 '^(Song not|Bitmap invalid|Left out)' "$LOG")"
fi
e2e_note "debug.txt: bitmap load, both saves, the listing and the load in order"
e2e_note "$(seconds_since_start) s in all"
e2e_pass
