#!/usr/bin/env bash
# The game's command-line options as a player meets them.
# Usage: zirrow_cli.sh ZIRROW VERSION
set -uo pipefail
zirrow=$1
version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Exactly --help or --version prints and ends without opening a window or taking the lock.
export XDG_RUNTIME_DIR=$work/run ZIRROW_SETTINGS=$work/settings.reg SDL_VIDEODRIVER=none
mkdir -m 700 "$XDG_RUNTIME_DIR"
help=$("$zirrow" --help) || fail "zirrow --help ended with status $?"
[[ $help == "usage: zirrow LEVELFILE"* ]] || fail "zirrow --help printed: $help"
[ "$("$zirrow" --version)" = "zirrow $version" ] || fail "zirrow --version printed: $("$zirrow" --version)"
[ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] || fail "an option took the single-copy lock"
[ ! -e "$ZIRROW_SETTINGS" ] || fail "an option wrote the settings"
if "$zirrow" --version >/dev/full 2>"$work/err"; then fail "a lost --version text ended with status 0"; fi
grep -q "can't write to standard output" "$work/err" || fail "a lost text was not reported: $(cat "$work/err")"

echo "ok: --help and --version"
