#!/usr/bin/env bash
# A first beat, made as a user makes it: tessaloop3 in a real X server, driven
# with xdotool through held keys and relative mouse motion. The user drops a
# palette sound on a cell, drags the cell's note, stores the track as pattern B
# in tab 5, types B into the arrangement, turns song mode on, saves the song
# under a typed name and quits with Esc. The saved file must hold what was
# done, and the sound captured from the ALSA device must be silent before the
# drop and sounding a whole pattern after song mode took over.
#
# usage: editor_first_beat.sh <tessaloop3> <pacer> <source folder>
set -euo pipefail

PROGRAM=$1
PACER=$2
SOURCE=$3
RATE=352800  # bytes a second: 44100 stereo float frames

T=$(mktemp -d /tmp/tessaloop-e2e-XXXXXX)
XVFB=""
APP=""
cleanup() {
  if [ -n "$APP" ] && kill -0 "$APP" 2>/dev/null; then
    kill "$APP" 2>/dev/null || true
    wait "$APP" 2>/dev/null || true
  fi
  if [ -n "$XVFB" ]; then
    kill "$XVFB" 2>/dev/null || true
    wait "$XVFB" 2>/dev/null || true
  fi
  if [ -z "${TESSALOOP_KEEP_TEST_FOLDERS:-}" ]; then rm -rf "$T"; else echo "kept $T"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- program output" >&2
  tail -20 "$T/app.log" >&2 || true
  echo "--- debug log" >&2
  tail -20 "$T/run/debug.txt" >&2 || true
  exit 1
}

# ---- The working folder and the capturing sound device ----
mkdir -p "$T/run/songs" "$T/run/userbitmaps"
ln -s "$SOURCE/data" "$T/run/data"
cat >"$T/asound.conf" <<EOF
pcm.!default {
    type file
    slave.pcm { type null }
    file "|$PACER $T/out.raw $RATE"
    format "raw"
}
EOF

# ---- X server and program ----
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$T/dpy" 2>"$T/xvfb.err" &
XVFB=$!
for _ in $(seq 100); do [ -s "$T/dpy" ] && break; sleep 0.05; done
[ -s "$T/dpy" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$T/dpy")

(cd "$T/run" && HOME="$T" ALSA_CONFIG_PATH="$T/asound.conf" exec "$PROGRAM") >>"$T/app.log" 2>&1 &
APP=$!
WID=$(timeout 10 xdotool search --sync --name '^Tessaloop$' | head -1) || true
[ -n "$WID" ] || fail "no Tessaloop window"
for _ in $(seq 100); do [ "$(xdotool getwindowfocus)" = "$WID" ] && break; sleep 0.05; done
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
# Keys are read as held levels once a frame: hold each for longer than a frame.
hold_key() { xdotool keydown "$1"; sleep "${2:-0.12}"; xdotool keyup "$1"; sleep 0.35; }
capture_size() { stat -c %s "$T/out.raw" 2>/dev/null || echo 0; }

before=$(capture_size)
sleep 0.5
[ "$(capture_size)" -gt "$before" ] || fail "the sound stream is not running"

# Palette square 3 (slot 9) dropped on track 1, step 5.
move_to 224 632
press
move_to 288 56
silent_until=$(capture_size)
release

# The cell's note: pressed just inside its bottom-left corner, dragged to
# 34 pixels right and 30 down from its top: F# of octave 4.
move_to 257 87
press
move_to 290 54
release

# Tab 5, then B with the pointer on track 1's Save button.
move_to 340 10
press
release
move_to 30 54
hold_key b

# B typed along the first row of the arrangement, positions 1 to 8.
move_to 15 705
xdotool keydown b
sleep 0.15
for column in 1 2 3 4 5 6 7; do move_to $((column * 10 + 15)) 705; done
xdotool keyup b
sleep 0.15

# Song mode on.
click_at 55 677
song_mode_from=$(capture_size)
sleep 5

# Tab 7: the name, emptied and typed as beat1, saved with Return.
click_at 470 10
move_to 600 300
hold_key BackSpace 2.5
for k in b e a t 1; do hold_key "$k"; done
hold_key Return
sleep 1
/usr/bin/import -window root "$T/first-beat.png" 2>/dev/null || true

hold_key Escape
for _ in $(seq 50); do kill -0 "$APP" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP" 2>/dev/null; then fail "Esc did not end the program"; fi
status=0
wait "$APP" || status=$?
APP=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# ---- What the song file holds ----
SONG="$T/run/songs/beat1.tlp"
[ -f "$SONG" ] || fail "no songs/beat1.tlp"
mapfile -t tokens < <(tr ',' '\n' <"$SONG")
[ "${#tokens[@]}" -eq 3777 ] || fail "the song has ${#tokens[@]} tokens, not 3777"
for position in 0 1 2 3 4 5 6 7; do
  [ "${tokens[$position]}" = 2 ] || fail "arrangement position $position holds ${tokens[$position]}"
done
[ "${tokens[8]}" = 24 ] || fail "arrangement position 8 changed"
[ "${tokens[101]}" = 24 ] || fail "track 2's arrangement changed"
# Pattern B (2), cell 5 (index 4): attack decay slidelength slide octave semitone pan slot.
cell=$((303 + (2 * 16 + 4) * 8))
[ "${tokens[$((cell + 4))]}" = 4 ] || fail "pattern B step 5 has octave ${tokens[$((cell + 4))]}"
[ "${tokens[$((cell + 5))]}" = 6 ] || fail "pattern B step 5 has semitone ${tokens[$((cell + 5))]}"
[ "${tokens[$((cell + 7))]}" = 9 ] || fail "pattern B step 5 has slot ${tokens[$((cell + 7))]}"
[ "${tokens[$((cell - 8 + 7))]}" = 5 ] || fail "pattern B step 4 is not a rest"

# ---- What the sound device received ----
# The largest magnitude among the float samples of a byte range of the capture.
peak() {
  od -An -v -f -j "$1" -N "$2" "$T/out.raw" |
    awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } } END { print m + 0 }'
}
quiet=$(peak 0 "$silent_until")
awk -v p="$quiet" 'BEGIN { exit !(p == 0) }' || fail "the stream sounded before the drop (peak $quiet)"
# A whole pattern (16 steps of 11005 samples, 4 s) once song mode has moved
# on to position 2, which plays pattern B.
start=$((song_mode_from + RATE * 9 / 2))
length=$((RATE * 4))
[ "$(capture_size)" -ge $((start + length)) ] || fail "the capture is too short"
loud=$(peak "$start" "$length")
awk -v p="$loud" 'BEGIN { exit !(p > 0.01) }' || fail "the stream is silent in song mode (peak $loud)"
echo "first beat: saved, silent before the drop, peak $loud in song mode"
