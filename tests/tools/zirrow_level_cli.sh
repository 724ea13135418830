#!/usr/bin/env bash
# Runs the built zirrow-level program itself: its output and exit status for a file
# with a bad magic number and for a sound one.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0

printf '\001\000\000\000' > "$dir/magic.scene"
out=$("$tool" check "$dir/magic.scene"); status=$?
expected='[MAGIC] Bad magic number: 1 (should be 34952)'
if [ "$status" -ne 1 ] || [ "$out" != "$expected" ]; then
  echo "check of a bad magic number: status $status, output '$out'"; failed=1
fi

printf '\210\210\000\000\377\377\000\000\000\000' > "$dir/nil.scene"
out=$("$tool" check "$dir/nil.scene"); status=$?
if [ "$status" -ne 0 ] || [ "$out" != "ok" ]; then
  echo "check of a nil scene: status $status, output '$out'"; failed=1
fi

"$tool" >/dev/null 2>&1; status=$?
if [ "$status" -ne 2 ]; then echo "no arguments: status $status"; failed=1; fi
exit $failed
