# shellcheck shell=bash
# What the shell tests of the game share; sourced, not run:
#   source "$(dirname "${BASH_SOURCE[0]}")/../ShellTest.sh"

# Ends the test with a reason.
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Keeps the game's settings file and its single-copy lock inside FOLDER, so that a test
# neither reads nor touches the player's own.
sandbox_game_files() {
  export ZIRROW_SETTINGS=$1/settings.reg XDG_RUNTIME_DIR=$1/run
  mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Writes the game's settings key, as installing the game leaves it, with the value lines
# given (registry text, one argument a line).
write_settings_key() {
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\r\n'
  local line
  for line in "$@"; do printf '%s\r\n' "$line"; done
} >"$ZIRROW_SETTINGS"

# Waits up to SECONDS for process PID to end; false when it still runs.
wait_for_end() {
  local pid=$1 tries=$(($2 * 5))
  for _ in $(seq 1 "$tries"); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.2
  done
  ! kill -0 "$pid" 2>/dev/null
}

# The WIDTHxHEIGHT of a PNG file, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}'; }
