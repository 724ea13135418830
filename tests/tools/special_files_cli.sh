#!/usr/bin/env bash
# Levels that are not regular files (a named pipe without a writer, endless devices,
# a folder, a pipe on standard input) are refused by every program that reads levels,
# at once and saying why; files cut short say where they end, in every program.
set -u
level=$1
bench=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Runs a command with a time limit; sets out (standard output and error) and status.
run() {
  out=$(timeout 20 "$@" 2>&1); status=$?
}

mkfifo "$dir/pipe.zrw"
mkdir "$dir/folder.zrw"
"$level" demo "$dir/demo" >/dev/null || { echo "demo: status $?"; exit 1; }
demo=$dir/demo/demo.zrw

refused() {  # what, expected kind, command...
  local what=$1 kind=$2; shift 2
  run "$@"
  if [ "$status" -eq 124 ]; then
    echo "$what: still reading after 20 s"; failed=1
  elif [ "$status" -ne 1 ] || ! grep -qF "not a regular file ($kind)" <<<"$out"; then
    echo "$what: status $status, output '$out'"; failed=1
  fi
}

for file in pipe:"a named pipe" /dev/zero:"a character device" /dev/urandom:"a character device" \
            folder:"a folder"; do
  name=${file%%:*}; kind=${file#*:}
  case $name in /*) path=$name ;; *) path=$dir/$name.zrw ;; esac
  refused "check of $name" "$kind" "$level" check "$path"
  refused "dump of $name" "$kind" "$level" dump "$path"
  refused "dump --json of $name" "$kind" "$level" dump --json "$path"
  refused "build from $name" "$kind" "$level" build "$path" -o "$dir/built.zrw"
  refused "stats of $name" "$kind" "$level" stats "$path"
  refused "shot of $name" "$kind" "$level" shot "$path" -o "$dir/shot.png"
  refused "bench of $name" "$kind" "$bench" --no-draw --frames 2 "$path"
done

# A valid level through a pipe is refused as one, not misread.
out=$(cat "$demo" | timeout 20 "$level" check /dev/stdin 2>&1); status=$?
if [ "$status" -ne 1 ] || ! grep -qF "not a regular file (a named pipe)" <<<"$out"; then
  echo "check of a piped level: status $status, output '$out'"; failed=1
fi
# The same level redirected from the file is a regular file.
out=$(timeout 20 "$level" check /dev/stdin <"$demo" 2>&1); status=$?
if [ "$status" -ne 0 ] || [ "$out" != "ok" ]; then
  echo "check of a redirected level: status $status, output '$out'"; failed=1
fi

# A file cut in its first level: every program names the offset that check names.
head -c 5000 "$demo" >"$dir/cut.zrw"
run "$level" check "$dir/cut.zrw"
ends=$out
if [ "$status" -ne 1 ] || ! grep -q '^\[EOF\] File ends early: a read at offset [0-9]* runs past its end (5000 bytes)$' <<<"$ends"; then
  echo "check of a cut level: status $status, output '$ends'"; failed=1
fi
run "$bench" --no-draw --frames 2 "$dir/cut.zrw"
if [ "$status" -ne 1 ] || ! grep -qF "$ends" <<<"$out"; then
  echo "bench of a cut level: status $status, output '$out', check said '$ends'"; failed=1
fi
exit $failed
