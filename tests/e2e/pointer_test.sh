#!/usr/bin/env bash
# The pointer is where the X pointer is, whatever size the window has: the
# 1024 x 768 picture is scaled by min(W / 1024, H / 768) and centred with black
# bars, and a point of the window maps to the point of the picture shown there
# (over a bar, to the picture's nearest edge; the program keeps its pointer in
# 0..1012 x 0..756). Driven with absolute xdotool moves on a "_trace" build,
# each waited for until the input trace shows the expected picture point.
#
#   windowed     tessaloop3 in a 1600 x 1200 Xvfb: its window at 1024 x 768,
#                then resized to 1536 x 1152 (the same shape) and to 1200 x 600
#                (wider: bars left and right). At each size: corners, middle
#                and bars map as expected, a tab clicked and a step hovered at
#                their scaled places answer, the screen shows the picture
#                scaled; at 1536 x 1152 a tempo drag counts the motion in
#                picture pixels and puts the pointer back where it began.
#   fullscreen SCREEN [wm]
#                tessaloop6 in an Xvfb of SCREEN (WIDTHxHEIGHT), with an
#                openbox running when wm is given: the window covers the whole
#                screen at (0, 0), the screen shows the picture scaled to fit,
#                and the pointer maps and answers as above.
#
# usage: pointer_test.sh SOURCE_DIR PACER PROGRAM windowed
#        pointer_test.sh SOURCE_DIR PACER PROGRAM fullscreen SCREEN [wm]

source "$(dirname "$0")/e2e_lib.sh"

SOURCE_DIR=$1
PACER=$2
PROGRAM=$3
MODE=$4
SCREEN=${5:-1600x1200}
WM=${6:-}

e2e_require Xvfb xdotool xwininfo xprop /usr/bin/import /usr/bin/convert /usr/bin/compare
[ "$WM" = wm ] && e2e_require openbox

# ---- The window's scale: SCALE_N / SCALE_D, and the bars' widths ----
# Set for a window of $1 x $2 pixels; the picture then covers PIC_W x PIC_H of
# it from (BAR_X, BAR_Y).
window_is() {
  WIN_W=$1
  WIN_H=$2
  if ((WIN_W * 768 <= WIN_H * 1024)); then
    SCALE_N=$WIN_W SCALE_D=1024
  else
    SCALE_N=$WIN_H SCALE_D=768
  fi
  PIC_W=$((1024 * SCALE_N / SCALE_D))
  PIC_H=$((768 * SCALE_N / SCALE_D))
  BAR_X=$(((WIN_W - PIC_W) / 2))
  BAR_Y=$(((WIN_H - PIC_H) / 2))
}
# The picture point under window point ($1, $2), kept where the program keeps
# its pointer, as "X Y".
picture_point() {
  local x=$(($1 - BAR_X)) y=$(($2 - BAR_Y))
  ((x < 0)) && x=0
  ((y < 0)) && y=0
  x=$((x * SCALE_D / SCALE_N))
  y=$((y * SCALE_D / SCALE_N))
  ((x > 1012)) && x=1012
  ((y > 756)) && y=756
  echo "$x $y"
}
# The first window point whose picture point is ($1, $2) or, where the window
# is smaller than the picture and shows no pixel of it there, just past it;
# as "X Y".
window_point() {
  echo "$((BAR_X + ($1 * SCALE_N + SCALE_D - 1) / SCALE_D)) $((BAR_Y + ($2 * SCALE_N + SCALE_D - 1) / SCALE_D))"
}

# ---- Moving and clicking at window points ----
# The X pointer moved to window point ($1, $2), until the program's pointer is
# at the picture point expected there (within 5 s). A move that would leave
# the program's pointer where it is goes by another place first, so that every
# check sees the move taken.
last_pointer() { grep '^trace input: ' "$LOG" | tail -n 1 | sed -n 's/.* pointer \([0-9]*\) \([0-9]*\) .*/\1 \2/p'; }
move_in_window() {
  local want i
  want=$(picture_point "$1" "$2")
  if [ "$(last_pointer)" = "$want" ]; then
    xdotool mousemove --window "$WID" $((WIN_W / 3)) $((WIN_H / 3))
    e2e_wait_input " pointer $(picture_point $((WIN_W / 3)) $((WIN_H / 3))) "
  fi
  xdotool mousemove --window "$WID" "$1" "$2"
  for ((i = 0; i < 250; i++)); do
    [ "$(last_pointer)" = "$want" ] && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended"
    sleep 0.02
  done
  e2e_fail "window point ($1, $2) of the $WIN_W x $WIN_H window did not map to picture point ($want): the pointer is at ($(last_pointer))"
}
# Window points "X,Y" ... each mapped as expected.
expect_mapping() {
  local point
  for point in "$@"; do move_in_window "${point%,*}" "${point#*,}"; done
  e2e_note "$WIN_W x $WIN_H: window points $* map onto the picture as its scale and bars say"
}
# The program answers at picture point ($1, $2) reached through the window:
# tab $3 clicked there is chosen.
click_tab_at() {
  local point
  point=$(window_point "$1" "$2")
  move_in_window "${point% *}" "${point#* }"
  e2e_button_down 1
  e2e_wait_editor " tab $3 "
  e2e_button_up 1
}
# Step $2 of track $1 hovered through the window, at its middle.
hover_cell() {
  local point
  point=$(window_point "$(e2e_cell_x "$2")" "$(e2e_cell_y "$1")")
  move_in_window "${point% *}" "${point#* }"
  e2e_wait_editor " cell $1 $2 "
}

# ---- What the screen shows ----
# The share (0-1) of the pixels of region $2 (WxH+X+Y) of screenshot $1 that
# are black.
black_share() {
  /usr/bin/convert "$E2E_DIR/$1.png" -crop "$2" +repage -fuzz 1% -fill white +opaque black \
    -format '%[fx:1-mean]' info:
}
# Whether the picture's region at ($3, $4), $5 x $6 of it, shows on screenshot
# $1 the art of file $2 from ($7, $8), scaled and moved by the window's scale
# and bars. A scaled pixel may come from either side of an edge of the art,
# as the renderer rounds; so the pixels compared are those whose art pixel has
# the same colour as its eight neighbours, and they must be most of the region.
scaled_art_is_there() {
  local shot=$1 file=$2 px=$3 py=$4 pw=$5 ph=$6 bx=$7 by=$8 x0 y0 w h at
  x0=$((BAR_X + (px * SCALE_N + SCALE_D - 1) / SCALE_D + 1))
  y0=$((BAR_Y + (py * SCALE_N + SCALE_D - 1) / SCALE_D + 1))
  w=$((BAR_X + (px + pw) * SCALE_N / SCALE_D - 1 - x0))
  h=$((BAR_Y + (py + ph) * SCALE_N / SCALE_D - 1 - y0))
  at="$E2E_DIR/$shot-$px-$py"
  /usr/bin/convert "$file" -crop "${pw}x${ph}+$bx+$by" +repage "$at-art.png"
  # White where the art pixel is like its neighbours, black elsewhere and on
  # the region's rim.
  /usr/bin/convert "$at-art.png" \( -clone 0 -morphology Dilate Square:1 \) \
    \( -clone 0 -morphology Erode Square:1 \) -delete 0 -compose difference -composite \
    -separate -evaluate-sequence max -threshold 4% -negate -shave 1x1 -bordercolor black \
    -border 1x1 "$at-same.png"
  # The art and the mask as the window shows them: each window pixel from the
  # art pixel its left and top edges map to.
  local source="floor((i+$x0-$BAR_X)*$SCALE_D/$SCALE_N)-$px,floor((j+$y0-$BAR_Y)*$SCALE_D/$SCALE_N)-$py"
  /usr/bin/convert -size "${w}x$h" xc: "$at-art.png" -interpolate Integer -fx "v.p{$source}" \
    "$at-expected.png"
  /usr/bin/convert -size "${w}x$h" xc: "$at-same.png" -interpolate Integer -fx "v.p{$source}" \
    "$at-mask.png"
  /usr/bin/convert "$E2E_DIR/$shot.png" -crop "${w}x$h+$x0+$y0" +repage "$at-mask.png" \
    -compose multiply -composite "$at-shown.png"
  /usr/bin/convert "$at-expected.png" "$at-mask.png" -compose multiply -composite "$at-expected.png"
  awk -v m="$(/usr/bin/convert "$at-mask.png" -format '%[fx:mean]' info:)" 'BEGIN { exit !(m > 0.5) }' ||
    e2e_fail "too little of the art at ($px, $py) is plain enough to compare"
  [ "$(/usr/bin/compare -metric AE -fuzz 4% "$at-shown.png" "$at-expected.png" null: 2>&1)" = 0 ]
}
# The picture, scaled, on screenshot $1: the tab, title and tempo bars' art
# (where nothing is drawn over it), a white stretch of the background, the
# bars black and the picture's edge rows and columns not.
picture_shown() {
  local shot=$1 white
  scaled_art_is_there "$shot" "$SOURCE_DIR/data/tabs.bmp" 50 0 435 24 50 0 &&
    scaled_art_is_there "$shot" "$SOURCE_DIR/data/title.bmp" 501 0 512 24 0 0 &&
    scaled_art_is_there "$shot" "$SOURCE_DIR/data/tempo.bmp" 130 666 130 24 130 0 || return 1
  local region="$((PIC_W * 400 / 1024))x$((PIC_H * 140 / 768))+$((BAR_X + PIC_W * 560 / 1024))+$((BAR_Y + PIC_H * 440 / 768))"
  white=$(e2e_white_share "$shot" "$region")
  awk -v w="$white" 'BEGIN { exit !(w >= 1) }' || return 1
  if ((BAR_Y > 0)); then
    [ "$(black_share "$shot" "${WIN_W}x$BAR_Y+0+0")" = 1 ] &&
      [ "$(black_share "$shot" "${WIN_W}x$((WIN_H - BAR_Y - PIC_H))+0+$((BAR_Y + PIC_H))")" = 1 ] ||
      return 1
  fi
  if ((BAR_X > 0)); then
    [ "$(black_share "$shot" "${BAR_X}x$WIN_H+0+0")" = 1 ] &&
      [ "$(black_share "$shot" "$((WIN_W - BAR_X - PIC_W))x$WIN_H+$((BAR_X + PIC_W))+0")" = 1 ] ||
      return 1
  fi
  [ "$(black_share "$shot" "${PIC_W}x1+$BAR_X+$BAR_Y")" = 0 ] &&
    [ "$(black_share "$shot" "${PIC_W}x1+$BAR_X+$((BAR_Y + PIC_H - 1))")" = 0 ] &&
    [ "$(black_share "$shot" "1x$((PIC_H * 600 / 768))+$BAR_X+$BAR_Y")" = 0 ] &&
    [ "$(black_share "$shot" "1x$((PIC_H * 600 / 768))+$((BAR_X + PIC_W - 1))+$BAR_Y")" = 0 ]
}
# The screen taken until it shows the picture scaled (the pointer first put
# out of the way, on the white background's left).
expect_picture() {
  local point
  point=$(window_point 100 500)
  move_in_window "${point% *}" "${point#* }"
  e2e_screenshot_until "$1" picture_shown "$1"
  local bars="no bars"
  ((BAR_X > 0 || BAR_Y > 0)) && bars="black bars"
  e2e_note "$WIN_W x $WIN_H: the picture shown at $PIC_W x $PIC_H from ($BAR_X, $BAR_Y), $bars"
}

# ---- Start-up ----
e2e_prepare_run_folder "$SOURCE_DIR" "$PACER"
e2e_start_xvfb "${SCREEN}x24"
SCREEN_W=${SCREEN%x*}
SCREEN_H=${SCREEN#*x}
if [ "$WM" = wm ]; then
  HOME="$E2E_DIR" openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
  E2E_PIDS+=("$!")
  WM_PID=$!
  # Ready once it has put up its check window.
  for ((i = 0; i < 200; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$WM_PID" 2>/dev/null || e2e_fail "openbox ended: $(cat "$E2E_DIR/openbox.log")"
    sleep 0.05
  done
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || e2e_fail "openbox did not start"
  e2e_note "openbox (pid $WM_PID) manages the screen"
fi
e2e_start_program "$PROGRAM" -u SDL_VIDEODRIVER
e2e_wait_for_editor

# The window's place and size on the screen, as "X Y W H".
geometry() {
  xwininfo -id "$WID" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}

if [ "$MODE" = windowed ]; then
  # ---- tessaloop3: its own size, then larger, then wider ----
  # At the screen's corner, where the larger sizes still fit on it.
  xdotool windowmove --sync "$WID" 0 0
  [ "$(geometry)" = "0 0 1024 768" ] || e2e_fail "the window is at $(geometry), not 1024 x 768 at (0, 0)"
  window_is 1024 768
  expect_mapping 0,0 300,200 512,384 1012,756 1023,767 1013,700
  click_tab_at 340 10 5
  hover_cell 1 5
  e2e_note "1024 x 768: a tab clicked and a step hovered answer"
  for size in 1536x1152 1200x600; do
    xdotool windowsize --sync "$WID" "${size%x*}" "${size#*x}"
    [ "$(geometry)" = "0 0 ${size%x*} ${size#*x}" ] || e2e_fail "resized to $size, the window is $(geometry)"
    window_is "${size%x*}" "${size#*x}"
    # Corners, middle, a point inside each quarter; over the bars.
    expect_mapping 0,0 $((WIN_W - 1)),$((WIN_H - 1)) $((WIN_W / 2)),$((WIN_H / 2)) \
      $((WIN_W / 8)),$((WIN_H / 4)) $((WIN_W * 7 / 8)),$((WIN_H * 5 / 6)) \
      $((BAR_X + 1)),1 $((BAR_X + PIC_W - 2)),$((WIN_H - 2)) \
      $((BAR_X / 2)),$((WIN_H / 2)) $((WIN_W - 1 - BAR_X / 2)),50
    click_tab_at 420 10 6
    click_tab_at 30 10 1
    hover_cell 2 15
    hover_cell 0 0
    e2e_note "$WIN_W x $WIN_H: tabs clicked and steps hovered at their scaled places answer"
    expect_picture "window-$size"
    if [ "$size" = 1536x1152 ]; then
      # A tempo drag: 30 window pixels up are 20 of the picture, 10 samples a
      # step each; the pointer stays, and is back at the drag's start after.
      tempo=$(e2e_editor_field tempo)
      point=$(window_point 290 675)
      move_in_window "${point% *}" "${point#* }"
      e2e_button_down 1
      e2e_wait_editor " tempo-drag 1 "
      xdotool mousemove_relative -- 0 -30
      e2e_wait_editor " tempo $((tempo - 200)) "
      e2e_wait_input " pointer 290 675 "
      e2e_button_up 1
      e2e_wait_editor " tempo-drag 0 "
      # The first frame after the drag puts the X pointer back.
      for ((i = 0; i < 250; i++)); do
        read -r x y < <(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\) .*/\1 \2/')
        [ "$(picture_point "$x" "$y")" = "290 675" ] && break
        sleep 0.02
      done
      [ "$(picture_point "$x" "$y")" = "290 675" ] ||
        e2e_fail "after the drag the X pointer is at ($x, $y), not over picture point (290, 675)"
      e2e_wait_input " pointer 290 675 "
      e2e_note "1536 x 1152: a tempo drag of 30 window pixels counted 20; the pointer back at its start"
    fi
  done
else
  # ---- tessaloop6: the whole screen, the picture scaled to fit ----
  [ "$(geometry)" = "0 0 $SCREEN_W $SCREEN_H" ] ||
    e2e_fail "the window is at $(geometry), not over the whole $SCREEN_W x $SCREEN_H screen"
  if [ "$WM" = wm ]; then
    # Managed by the window manager, as a full-screen window.
    xprop -id "$WID" WM_STATE | grep -q 'window state: Normal' || e2e_fail "openbox does not manage the window"
    xprop -id "$WID" _NET_WM_STATE | grep -q '_NET_WM_STATE_FULLSCREEN' ||
      e2e_fail "the window is not full screen for openbox: $(xprop -id "$WID" _NET_WM_STATE)"
  fi
  e2e_note "the window covers the $SCREEN_W x $SCREEN_H screen from (0, 0)"
  window_is "$SCREEN_W" "$SCREEN_H"
  expect_mapping 0,0 $((WIN_W - 1)),$((WIN_H - 1)) $((WIN_W / 2)),$((WIN_H / 2)) \
    $((WIN_W / 8)),$((WIN_H / 4)) $((WIN_W * 7 / 8)),$((WIN_H * 5 / 6)) \
    $((WIN_W / 2)),$((BAR_Y / 2)) $((WIN_W / 3)),$((WIN_H - 1 - BAR_Y / 2)) \
    1,$((BAR_Y + 1)) $((WIN_W - 2)),$((BAR_Y + PIC_H - 2))
  click_tab_at 340 10 5
  click_tab_at 30 10 1
  hover_cell 5 15
  hover_cell 0 0
  e2e_note "$WIN_W x $WIN_H: tabs clicked and steps hovered at their scaled places answer"
  expect_picture "screen-$SCREEN"
fi

e2e_quit_with_escape
e2e_pass
