#!/usr/bin/env bash
# Runs the built zirrow-level program itself: its output and exit status for a file
# with a bad magic number and for one that holds only nil, the bundled demo it writes,
# and the example level built from its text form.
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
expected='[NIL] The top-level object is nil: the file holds nothing to load'
if [ "$status" -ne 1 ] || [ "$out" != "$expected" ]; then
  echo "check of a nil scene: status $status, output '$out'"; failed=1
fi

"$tool" >/dev/null 2>&1; status=$?
if [ "$status" -ne 2 ]; then echo "no arguments: status $status"; failed=1; fi

for command in dump check demo shot stats; do
  "$tool" --help | grep -q "^  $command " || { echo "--help does not name $command"; failed=1; }
  "$tool" "$command" --help >/dev/null; status=$?
  if [ "$status" -ne 0 ]; then echo "$command --help: status $status"; failed=1; fi
done

"$tool" demo "$dir/demo" >/dev/null; status=$?
if [ "$status" -ne 0 ]; then echo "demo: status $status"; failed=1; fi
for sound in Bgun.wav fail.wav winner.wav; do
  if [ "$(head -c 4 "$dir/demo/sounds/$sound" 2>/dev/null)" != "RIFF" ]; then
    echo "demo: sounds/$sound is not a RIFF file"; failed=1
  fi
done
for level in 1 2; do
  out=$("$tool" check --level "$level" "$dir/demo/demo.zrw"); status=$?
  if [ "$status" -ne 0 ] || [ "$out" != "ok" ]; then
    echo "check of demo level $level: status $status, output '$out'"; failed=1
  fi
  classes=$("$tool" dump --level "$level" "$dir/demo/demo.zrw" | sed -n 's/^#[0-9]* \([A-Za-z]*\) .*/\1/p' | sort -u)
  for class in FmScene FmWorker FmCamera FmFlightController FmEnvironController \
               FmTimerBarController FmBillboardController FmTransformController FmLight \
               FmFlock FmObject FmSeaObject FmRocket FmOpenGLTexture FmOpenGLAnimatedTexture \
               FmAnimatedMesh FmMesh FmFace FmMaterial FmFog FmAnimatedFloat; do
    if ! grep -qx "$class" <<<"$classes"; then
      echo "dump of demo level $level shows no $class"; failed=1
    fi
  done
done
# The GL driver is unloaded at exit, so leak checks would only see its own allocations
# without names; the program's own memory is checked by the in-process shot tests.
out=$(SDL_VIDEODRIVER=offscreen ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$tool" shot "$dir/demo/demo.zrw" -o "$dir/demo.png"); status=$?
if [ "$status" -ne 0 ] || [ "$(head -c 4 "$dir/demo.png" | tail -c 3)" != "PNG" ]; then
  echo "shot of the demo: status $status, output '$out'"; failed=1
fi
rows=$("$tool" stats "$dir/demo/demo.zrw" | grep -c '^[12] ')
if [ "$rows" -ne 2 ]; then echo "stats of the demo: $rows level rows"; failed=1; fi

examples=$(cd "$(dirname "$0")/../../examples" && pwd)
"$tool" build "$examples/example.json" -o "$dir/example.zrw" >/dev/null; status=$?
if [ "$status" -ne 0 ]; then echo "build of the example: status $status"; failed=1; fi
out=$("$tool" check "$dir/example.zrw"); status=$?
if [ "$status" -ne 0 ] || [ "$out" != "ok" ]; then
  echo "check of the example: status $status, output '$out'"; failed=1
fi
"$tool" dump --json --names "$dir/example.zrw" > "$dir/example-again.json" &&
  "$tool" build "$dir/example-again.json" -o "$dir/example-again.zrw" >/dev/null &&
  cmp -s "$dir/example.zrw" "$dir/example-again.zrw" ||
  { echo "the built example does not come back from dump --json --names"; failed=1; }
exit $failed
