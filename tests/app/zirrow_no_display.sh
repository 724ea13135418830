#!/usr/bin/env bash
# Without a display the game ends at once with status 1 and says why, rather than
# playing unseen for ever on a video driver that shows no window.
# Usage: zirrow_no_display.sh ZIRROW ZIRROW-LEVEL
set -uo pipefail
zirrow=$1
level_tool=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../ShellTest.sh"

sandbox_game_files "$work"
export SDL_AUDIODRIVER=dummy
"$level_tool" demo "$work/demo" >/dev/null || fail "the demo can't be written"
cd "$work/demo" || fail "no demo directory"

play() {
  timeout 30 "$@" "$zirrow" demo.zrw >"$work/out" 2>"$work/err"
}
for driver in "" offscreen dummy; do
  if [ -z "$driver" ]; then
    play env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER
  else
    play env SDL_VIDEODRIVER="$driver"
  fi
  status=$?
  [ "$status" -eq 1 ] || fail "with video driver '${driver:-chosen by SDL}' the game ended with status $status"
  grep -q "no display to show the game on" "$work/err" ||
    fail "with video driver '${driver:-chosen by SDL}' the reason was: $(cat "$work/err")"
done
[ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] || fail "a game without a display took the single-copy lock"
echo "ok: no display, no game"
