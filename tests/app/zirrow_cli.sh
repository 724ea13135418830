#!/usr/bin/env bash
# The game's command-line options and the icon tool, as a player and the build meet them.
# Usage: zirrow_cli.sh ZIRROW ZIRROW-ICON VERSION
set -uo pipefail
zirrow=$1
icon_tool=$2
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../ShellTest.sh"

# Exactly --help or --version prints and ends without opening a window or taking the lock.
sandbox_game_files "$work"
export SDL_VIDEODRIVER=none
help=$("$zirrow" --help) || fail "zirrow --help ended with status $?"
[[ $help == "usage: zirrow LEVELFILE"* ]] || fail "zirrow --help printed: $help"
[ "$("$zirrow" --version)" = "zirrow $version" ] || fail "zirrow --version printed: $("$zirrow" --version)"
[ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] || fail "an option took the single-copy lock"
[ ! -e "$ZIRROW_SETTINGS" ] || fail "an option wrote the settings"
if "$zirrow" --version >/dev/full 2>"$work/err"; then fail "a lost --version text ended with status 0"; fi
grep -q "can't write to standard output" "$work/err" || fail "a lost text was not reported: $(cat "$work/err")"

# The icon tool writes a PNG of the size asked for.
"$icon_tool" 48 "$work/icon48.png" || fail "zirrow-icon 48 failed"
[ "$(head -c 8 "$work/icon48.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
  fail "zirrow-icon wrote no PNG"
[ "$(png_size "$work/icon48.png")" = 48x48 ] || fail "the 48 icon is $(png_size "$work/icon48.png")"
"$icon_tool" 256 "$work/icon256.png" && [ "$(png_size "$work/icon256.png")" = 256x256 ] ||
  fail "the 256 icon is not 256x256"
for size in 0 abc 12x 2000; do
  if "$icon_tool" "$size" "$work/bad.png" 2>"$work/err"; then fail "zirrow-icon took size $size"; fi
  grep -q "the size must be" "$work/err" || fail "size $size was refused without a reason"
done
if "$icon_tool" 32 "$work/missing/folder/icon.png" 2>"$work/err"; then
  fail "zirrow-icon reported success for a folder that does not exist"
fi
grep -q "can't write $work/missing/folder/icon.png" "$work/err" || fail "no reason given: $(cat "$work/err")"
echo "ok: --help, --version and the icon tool"
