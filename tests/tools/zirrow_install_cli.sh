#!/usr/bin/env bash
# Runs zirrow-install twice into a scratch folder: the demo and the settings key appear,
# and values that a player's settings already hold survive a second installation.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export ZIRROW_SETTINGS=$dir/config/zirrow/settings.reg
failed=0

"$tool" >/dev/null 2>&1; status=$?
if [ "$status" -ne 2 ]; then echo "no arguments: status $status"; failed=1; fi

"$tool" "$dir/game" >/dev/null; status=$?
if [ "$status" -ne 0 ]; then echo "install: status $status"; failed=1; fi
for file in demo.zrw sounds/Bgun.wav sounds/fail.wav sounds/winner.wav; do
  [ -s "$dir/game/$file" ] || { echo "missing $file"; failed=1; }
done
grep -q '^\[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\]' "$ZIRROW_SETTINGS" ||
  { echo "no settings key"; failed=1; }

printf '"level"=dword:0000000c\r\n' >>"$ZIRROW_SETTINGS"
"$tool" "$dir/game" >/dev/null; status=$?
if [ "$status" -ne 0 ]; then echo "second install: status $status"; failed=1; fi
grep -q '"level"=dword:0000000c' "$ZIRROW_SETTINGS" || { echo "the saved level was lost"; failed=1; }
# A settings key that can't be created: the message names the file and why.
cant_create() {  # what, expected reason
  local what=$1 reason=$2
  out=$("${command[@]}" 2>&1 >/dev/null); status=$?
  if [ "$status" -ne 1 ] || ! grep -qF "can't create the settings key$reason" <<<"$out"; then
    echo "install with $what: status $status, output '$out'"; failed=1
  fi
}
printf 'not a folder' >"$dir/file"
command=(env ZIRROW_SETTINGS="$dir/file/settings.reg" "$tool" "$dir/game")
cant_create "a file in the settings folder's place" " in $dir/file/settings.reg: Not a directory"
mkdir "$dir/folder.reg"
command=(env ZIRROW_SETTINGS="$dir/folder.reg" "$tool" "$dir/game")
cant_create "a folder as the settings file" " in $dir/folder.reg: not a regular file (a folder)"
printf 'key=value\n' >"$dir/other.reg"
command=(env ZIRROW_SETTINGS="$dir/other.reg" "$tool" "$dir/game")
cant_create "another kind of file" " in $dir/other.reg: it is not a settings file"
command=(env -u ZIRROW_SETTINGS -u XDG_CONFIG_HOME -u HOME "$tool" "$dir/game")
cant_create "no known settings file" ": no settings file is known"
exit $failed
