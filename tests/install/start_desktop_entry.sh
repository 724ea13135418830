#!/usr/bin/env bash
# Starts the game as a desktop's menu does, from the command and folder of its desktop
# entry, then checks that its window opens and that Escape ends it with status 0.
# Usage: start_desktop_entry.sh DESKTOP-FILE [ROOT]   (under an X server: xvfb-run)
# ROOT is where an installation made with DESTDIR lies; its programs come first on PATH.
set -uo pipefail
entry=$1
root=${2:-}

source "$(dirname "${BASH_SOURCE[0]}")/../ShellTest.sh"
value() { sed -n "s/^$1=//p" "$entry" | head -n 1; }

[ -f "$entry" ] || fail "no desktop entry $entry"
command=$(value Exec)
folder=$(value Path)
[ -n "$command" ] || fail "$entry has no Exec line"
[ -n "$folder" ] || fail "$entry has no Path line: the game finds its sounds in its folder"
# The data folder is PREFIX/share/zirrow and the programs are in PREFIX/bin.
[ -n "$root" ] && export PATH="$root${folder%/*/*}/bin:$PATH"
read -r -a words <<<"$command"
program=$(command -v "${words[0]}") || fail "the entry's program ${words[0]} is not installed"
[[ -z $root || $program == "$root"/* ]] || fail "the entry starts $program, not the installed game"

work=$(mktemp -d)
game=
trap 'kill $game 2>/dev/null; rm -rf "$work"' EXIT
sandbox_game_files "$work"
export SDL_AUDIODRIVER=dummy
# The settings key exists, as installing the game for a player leaves it: Escape saves
# into it, and a save that fails would stop at its message box.
write_settings_key

cd "$root$folder" || fail "the entry's folder $root$folder does not exist"
"$program" "${words[@]:1}" 2>"$work/stderr" &
game=$!
window=$(timeout 60 xdotool search --sync --name "Go Zirrow" | head -n 1)
[ -n "$window" ] || fail "the game window did not appear: $(cat "$work/stderr")"
sleep 2
kill -0 "$game" 2>/dev/null || fail "the game ended early: $(cat "$work/stderr")"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --window "$window" Escape
wait_for_end "$game" 30 || fail "the game did not end after Escape"
wait "$game"
status=$?
game=
[ "$status" -eq 0 ] || fail "the game ended with status $status: $(cat "$work/stderr")"
echo "ok: $command in $folder opened the game window and ended on Escape"
