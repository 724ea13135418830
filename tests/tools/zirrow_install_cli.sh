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
exit $failed
