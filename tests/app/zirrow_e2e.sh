#!/usr/bin/env bash
# Plays the demo level in the real game window under a virtual X server: keys go in
# through xdotool, and the game must show its icon, take a screenshot, switch to full
# screen and back, follow a resize, write its game values and its full-screen choice on
# Escape and end by itself, while a second copy started meanwhile says that one runs and
# ends. A level that can't be loaded is named in a message box before the window opens.
# A window manager runs as on a player's desktop: full screen is the window manager's to
# grant.
# Usage: zirrow_e2e.sh ZIRROW ZIRROW-LEVEL WINDOW-MANAGER   (run it under xvfb-run)
set -uo pipefail
zirrow=$1
level_tool=$2
window_manager=$3

work=$(mktemp -d)
game=
manager=
trap 'kill $game $manager 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../ShellTest.sh"
sandbox_game_files "$work"
# The settings key exists, as an installer leaves it; the game itself never creates it.
write_settings_key '"level"=dword:00000007' '"useLevel"=dword:00000001'

# Waits for the message box of that title, then closes it with Return as a player would.
dismiss_box() {
  local box=
  for _ in $(seq 1 100); do
    box=$(xwininfo -root -tree | grep -F "\"$1\": " | awk '{print $1; exit}')
    [ -n "$box" ] && break
    sleep 0.2
  done
  [ -n "$box" ] || fail "no message box \"$1\" appeared"
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key --clearmodifiers Return
}

"$window_manager" --sm-disable >"$work/window-manager.log" 2>&1 &
manager=$!
"$level_tool" demo "$work/demo" >/dev/null || fail "the demo can't be written"
cd "$work/demo" || fail "no demo directory"

"$zirrow" demo.zrw &
game=$!

window=$(timeout 120 xdotool search --sync --name "Go Zirrow" | head -n 1)
[ -n "$window" ] || fail "the game window did not appear"
# The window shows the game's own icon, 64 pixels square.
icon=$(xprop -id "$window" _NET_WM_ICON 2>&1)
grep -q "Icon (64 x 64):" <<<"$icon" || fail "the window has no 64x64 icon: ${icon:0:200}"
# Give the game time to load and draw its first frames.
sleep 3
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool mousemove --window "$window" 400 300

kill -0 "$game" 2>/dev/null || fail "the game ended early"
timeout 30 "$zirrow" demo.zrw &
second_copy=$!
dismiss_box "Zirrow is already running"
wait "$second_copy"
second=$?
[ "$second" -eq 0 ] || fail "a second copy ended with status $second, not 0"
kill -0 "$game" 2>/dev/null || fail "the second copy ended the first"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool mousemove --window "$window" 400 300
sleep 1

xdotool key F5
sleep 1
xdotool keydown Left
xdotool keydown space
sleep 2
xdotool keyup space
xdotool keyup Left
xdotool keydown Up
sleep 1
xdotool keyup Up
xdotool key F3
sleep 2

# Alt+Enter goes full screen at the desktop's size and back to the window; the player can
# resize the window, and a screenshot then has the window's new size.
geometry() { xdotool getwindowgeometry "$window" 2>/dev/null | awk '/Geometry:/ {print $2}'; }
wait_for_geometry() {
  for _ in $(seq 1 50); do
    [ "$(geometry)" = "$1" ] && return 0
    sleep 0.2
  done
  fail "$2: the window is $(geometry), not $1"
}
wait_for_geometry 800x600 "the window did not start at its configured size"
xdotool key alt+Return
wait_for_geometry 1024x768 "Alt+Enter did not fill the screen"
kill -0 "$game" 2>/dev/null || fail "the game ended in full screen"
xdotool key alt+Return
wait_for_geometry 800x600 "Alt+Enter again did not bring the window back"
xdotool windowsize "$window" 640 400
wait_for_geometry 640x400 "the window could not be resized"
sleep 1
xdotool key F3
sleep 2
xdotool key F5
xdotool key Escape

wait_for_end "$game" 60 || fail "the game did not end after Escape"
wait "$game"
status=$?
[ "$status" -eq 0 ] || fail "the game ended with status $status"

[ -f scrn0000.jpg ] || fail "no screenshot scrn0000.jpg"
header=$(djpeg -pnm scrn0000.jpg | head -c 15 | tr '\n' ' ')
case "$header" in
  "P6 800 600 "*) ;;
  *) fail "scrn0000.jpg does not decode to an 800x600 picture: $header" ;;
esac

[ -f scrn0001.jpg ] || fail "no screenshot scrn0001.jpg after the resize"
header=$(djpeg -pnm scrn0001.jpg | head -c 15 | tr '\n' ' ')
case "$header" in
  "P6 640 400 "*) ;;
  *) fail "scrn0001.jpg does not have the resized window's size: $header" ;;
esac

grep -q '"fullScreen"=dword:00000000' "$ZIRROW_SETTINGS" || fail "the full-screen choice was not written"
grep -q '"useLevel"=dword:00000000' "$ZIRROW_SETTINGS" || fail "useLevel 0 was not written"
grep -q '"level"=dword:00000007' "$ZIRROW_SETTINGS" || fail "the saved level changed"
grep -q '"playEffects"=dword:00000001' "$ZIRROW_SETTINGS" || fail "playEffects was not written"
grep -q '"joyStick"=dword:00000000' "$ZIRROW_SETTINGS" || fail "joyStick was not written"
# A level that can't be loaded: the box names it, then the game opens without it.
"$zirrow" missing.zrw &
game=$!
dismiss_box "Level"
timeout 60 xdotool search --sync --name "Go Zirrow" >/dev/null || fail "no game window after the level's box"
kill "$game"
wait "$game" 2>/dev/null
game=

echo "ok: the game played, switched full screen, resized, took its shots, saved its values and ended"
