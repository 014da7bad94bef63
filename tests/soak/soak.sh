#!/usr/bin/env bash
# The soak: the whole program (a "_trace" build) in its own Xvfb for
# SOAK_SECONDS (default 600) of random but valid use in every frame
# (soak_input, a fixed seed), in chunks of a few seconds; between two chunks a
# song is saved or one loaded back through the editor, each step waited for
# until a frame has taken it, so that every one of them happens however fast
# the machine is. The sound goes to an ALSA device that audio_pacer plays at a
# sound card's pace. Built with AddressSanitizer (make soak), it checks that:
#   - the program never crashes and ends with Esc and status 0;
#   - no sanitizer reports anything;
#   - every frame the callback made reached the device;
#   - every save and every load happened, none refused, and no other;
#   - memory is steady: the resident size at the end is close to the one a
#     quarter into the run (warmed up);
#   - the sound never had a gap: the device never waited for sound, and its
#     wall time is its sound's time plus its gaps.
# It ends by printing its figures.
#
# usage: soak.sh SOURCE_DIR PACER PROGRAM SOAK_INPUT
# environment:
#   SOAK_SECONDS  how long the random user keeps at it (default 600; the
#                 saves and loads between the chunks come on top)
#   SOAK_SEED     the user's seed (default 1)
#   SOAK_RSS_GROWTH_KB  the growth allowed from a quarter into the run to its
#                 end (default 16384)
#   SOAK_SHORT    set for the short run of the test suite: on a shared
#                 machine the figures of gaps and memory, which depend on its
#                 speed, are reported but not held against the program

source "$(dirname "$0")/../e2e/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3
SOAK_INPUT=$4
SECONDS_WANTED=${SOAK_SECONDS:-600}
SEED=${SOAK_SEED:-1}
RSS_GROWTH_KB=${SOAK_RSS_GROWTH_KB:-16384}
SHORT=${SOAK_SHORT:-}
RATE=44100
TRACKS=3
case $(basename "$PROGRAM") in tessaloop6*) TRACKS=6 ;; esac

e2e_require Xvfb xdotool
case $(basename "$PROGRAM") in
  *_trace) ;;
  *) echo "the soak needs a _trace build of the program (it logs the frames it made)" && exit 2 ;;
esac

# Sanitizer settings for an instrumented build (ignored by others): stop at
# the first report, check for leaks at the end, and keep the quarantine of
# freed memory small enough that resident size says something about leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
SANITIZED="no"
SANITIZER_ENV=()
ASAN_RUNTIME=$(ldd "$PROGRAM" 2>/dev/null | awk '/libasan/ { print $3 }')
if [ -n "$ASAN_RUNTIME" ]; then
  SANITIZED="address, undefined behaviour"
  # Third-party memory kept to the end (lsan.supp says what and why). Mesa's
  # driver is unloaded before the leak check and could not be named there,
  # so it is loaded from the start, after the sanitizer's own runtime.
  PRELOAD=$ASAN_RUNTIME
  for driver in /usr/lib/*/dri/swrast_dri.so; do
    [ -e "$driver" ] && PRELOAD="$PRELOAD $driver"
  done
  SANITIZER_ENV=("LD_PRELOAD=$PRELOAD"
    "LSAN_OPTIONS=suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0")
fi

# The pacer as a sound card: a card's buffer, gaps counted, figures at the end.
REPORT="$E2E_DIR/device.txt"
e2e_prepare_run_folder "$SOURCE_DIR" "$PACER" "$REPORT"
cp "$SOURCE_DIR"/userbitmaps/*.bmp "$RUN_DIR/userbitmaps/"
BITMAPS=$(find "$RUN_DIR/userbitmaps" -maxdepth 1 -name '*.bmp' | wc -l)

"$SOAK_INPUT" "$SECONDS_WANTED" "$SEED" "$TRACKS" "$BITMAPS" >"$E2E_DIR/input.xdo" \
  2>"$E2E_DIR/plan.txt" || e2e_fail "soak_input failed"
read -r _ CHUNKS _ PLANNED_SECONDS <"$E2E_DIR/plan.txt"
# One xdotool script a chunk.
awk -v dir="$E2E_DIR" '/^#chunk$/ { close(file); n++; next }
  { file = sprintf("%s/chunk-%04d.xdo", dir, n); print >>file }' "$E2E_DIR/input.xdo"
PLANNED_SAVES=$(((CHUNKS + 1) / 2))
PLANNED_LOADS=$((CHUNKS / 2))
e2e_note "$(basename "$PROGRAM"), $TRACKS tracks, sanitizers: $SANITIZED"
e2e_note "plan: seed $SEED, $(wc -l <"$E2E_DIR/input.xdo") input steps over $PLANNED_SECONDS s" \
  "in $CHUNKS chunks, $PLANNED_SAVES saves, $PLANNED_LOADS loads"

e2e_start_xvfb
e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER "${SANITIZER_ENV[@]}"
e2e_wait_for_editor 60 60

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$APP_PID/status" 2>/dev/null; }
RSS_LOG="$E2E_DIR/rss.txt"
START_TIME=$(date +%s.%N)
elapsed() { awk -v s="$START_TIME" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }'; }
RSS_START=$(rss_kb)
echo "0 $RSS_START" >"$RSS_LOG"
RANDOM=$SEED
NAME_KEYS=(a b c d e)

# ---- The user at work ----
SAVES=0
LOADS=0
for ((chunk = 0; chunk < CHUNKS; chunk++)); do
  # The chunk, timed; whatever it does is fine. Then F12, which the editor
  # does not use: the frame that sees it has taken all of the chunk, which
  # the X server had taken before it; no other key or button may be held,
  # and nothing dragged, carried or open.
  timeout 120 xdotool "$(printf '%s/chunk-%04d.xdo' "$E2E_DIR" "$chunk")" >>"$E2E_DIR/xdotool.log" 2>&1 ||
    e2e_fail "xdotool failed on chunk $chunk: $(tail -n 3 "$E2E_DIR/xdotool.log")"
  e2e_key_down F12 30
  e2e_wait_input ' buttons 0 0 0 0 keys 58$' 1
  e2e_key_up F12
  e2e_wait_editor ' tempo-drag (0|-1) .* carried -1 menu -1 ' 30
  kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended during the soak"
  e2e_pointer_home
  if ((chunk % 2 == 0)); then
    # Every other save under a new name (twelve of one key, see e2e_save_as).
    e2e_click_tab 7
    e2e_move_to 600 500
    if ((RANDOM % 2)); then
      e2e_save_as "${NAME_KEYS[RANDOM % 5]}"
    else
      e2e_hold_key_until Return '^trace editor: tab 1 '
    fi
    e2e_wait_for_count $((++SAVES)) '^Saving Patch$'
  else
    e2e_click_tab 6
    e2e_move_to 600 500
    # The first or the last of the list, the songs the arrows reach for sure.
    mapfile -t SONGS < <(ls -U "$RUN_DIR/songs")
    e2e_load_song "${SONGS[(RANDOM % 2) * (${#SONGS[@]} - 1)]}"
    e2e_wait_for_count $((++LOADS)) '^Loading seq$'
  fi
  echo "$(elapsed) $(rss_kb)" >>"$RSS_LOG"
done
INPUT_SECONDS=$(elapsed)
RSS_END=$(rss_kb)
echo "$INPUT_SECONDS $RSS_END" >>"$RSS_LOG"
e2e_screenshot last-frame

# ---- The way out ----
e2e_press_escape
e2e_wait_for_exit 120
grep -E "Sanitizer|runtime error:" "$E2E_DIR/app.log" &&
  e2e_fail "the sanitizers reported (the program's output is in $E2E_DIR/app.log)"
[ "$APP_STATUS" = 0 ] || e2e_fail "exit status $APP_STATUS"
e2e_expect_complete_capture

# ---- Songs ----
SAVES=$(grep -cx "Saving Patch" "$LOG")
LOADS=$(grep -cx "Loading seq" "$LOG")
REFUSED=$(grep -cE "^Song not (saved|loaded)" "$LOG")
[ "$REFUSED" = 0 ] || e2e_fail "$(grep -E "^Song not (saved|loaded)" "$LOG" | head -n 3)"
[ "$SAVES" = "$PLANNED_SAVES" ] || e2e_fail "$SAVES of $PLANNED_SAVES saves happened"
[ "$LOADS" = "$PLANNED_LOADS" ] || e2e_fail "$LOADS of $PLANNED_LOADS loads happened"

# ---- Sound ----
MADE=$(sed -n 's/^trace audio: stopped after \([0-9]*\) frames$/\1/p' "$LOG")
[ -n "$MADE" ] || e2e_fail "the program did not say how many frames it made"
LEAD=$((CAPTURE_FRAMES - MADE))
[ "$LEAD" -gt 0 ] && [ "$LEAD" -le 8192 ] ||
  e2e_fail "the device received $CAPTURE_FRAMES frames of $MADE made"
[ -s "$REPORT" ] || e2e_fail "the device wrote no report"
figure() { awk -v k="$1" '$1 == k { print $2 }' "$REPORT"; }
WALL=$(figure seconds)
GAPS=$(figure gaps)
GAP_MS=$(figure gap_ms)
WORST_MS=$(figure worst_gap_ms)
[ "$(figure bytes)" = $((CAPTURE_FRAMES * 8)) ] || e2e_fail "the device counted other bytes"
# Wall time less sound time and gaps, in frames.
MISSING=$(awk -v w="$WALL" -v f="$CAPTURE_FRAMES" -v g="$GAP_MS" -v r=$RATE \
  'BEGIN { printf "%.0f", w * r - f - g / 1000 * r }')

# ---- Memory ----
QUARTER=$(awk -v e="$INPUT_SECONDS" '$1 >= e / 4 { print $2; exit }' "$RSS_LOG")
RSS_MAX=$(awk '$2 > m { m = $2 } END { print m }' "$RSS_LOG")
GROWTH=$((RSS_END - QUARTER))

# ---- Figures ----
echo "---- soak figures"
echo "program:     $(basename "$PROGRAM") ($TRACKS tracks), sanitizers: $SANITIZED"
echo "input:       seed $SEED, $(wc -l <"$E2E_DIR/input.xdo") steps in $INPUT_SECONDS s"
echo "songs:       $SAVES saved, $LOADS loaded, none refused"
echo "memory:      VmRSS $RSS_START kB at the start, $QUARTER kB a quarter in," \
  "$RSS_END kB at the end (largest $RSS_MAX kB; growth after warm-up $GROWTH kB)"
awk -v w="$WALL" -v f="$CAPTURE_FRAMES" -v m="$MADE" -v l="$LEAD" -v r=$RATE 'BEGIN {
  printf "sound:       the stream ran %.3f s of wall time; the device received %d frames " \
         "(%.3f s): %d made by %d callbacks of 64 frames, after %d frames of priming\n",
         w, f, f / r, m, m / 64, l }'
echo "gaps:        $GAPS (${GAP_MS} ms in all, the longest ${WORST_MS} ms);" \
  "wall time less sound time: $MISSING frames"

if [ -z "$SHORT" ]; then
  [ "$GAPS" = 0 ] || e2e_fail "the sound had $GAPS gaps"
  # The device's clock: sound time plus gaps is wall time, to a frame or two.
  [ "${MISSING#-}" -le 441 ] || e2e_fail "wall time and frames disagree by $MISSING frames"
  [ "$GROWTH" -le "$RSS_GROWTH_KB" ] ||
    e2e_fail "memory grew by $GROWTH kB after warm-up (allowed $RSS_GROWTH_KB kB)"
fi
e2e_pass
