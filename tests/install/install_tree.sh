#!/usr/bin/env bash
# Installs the build into a scratch folder (DESTDIR) and checks what the installation
# holds: the programs, the demo and its sounds where the menu entry plays it, the entry
# itself, the icon at each of its sizes, the AppStream metainfo and a manual page for
# every program that documents every command and option the program's help names.
# With START-SCRIPT (start_desktop_entry.sh, under an X server) the game is then started
# from the installed entry.
# Usage: install_tree.sh BUILD-DIR PREFIX VERSION [START-SCRIPT]
set -uo pipefail
build=$1
prefix=$2
version=$3
start=${4:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../ShellTest.sh"
root=$work/root
DESTDIR=$root cmake --install "$build" >"$work/install.log" 2>&1 || fail "cmake --install failed: $(cat "$work/install.log")"
tree=$root$prefix

for program in zirrow zirrow-level zirrow-bench; do
  [ -x "$tree/bin/$program" ] || fail "$program is not installed in $prefix/bin"
done
[ "$("$tree/bin/zirrow" --version)" = "zirrow $version" ] || fail "the installed game is not version $version"

demo=$tree/share/zirrow
[ "$("$tree/bin/zirrow-level" check "$demo/demo.zrw")" = ok ] || fail "the installed demo does not check ok"
for sound in Bgun fail winner; do
  [ -s "$demo/sounds/$sound.wav" ] || fail "the sound $sound.wav is not installed beside the demo"
done

entry=$tree/share/applications/org.fenmarrow.Zirrow.desktop
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "the desktop entry is not valid"
grep -qx "Path=$prefix/share/zirrow" "$entry" || fail "the entry does not play the demo from its folder"
grep -qx "Exec=zirrow demo.zrw" "$entry" || fail "the entry does not start the demo"
icon=$(sed -n 's/^Icon=//p' "$entry")

for size in 32 48 64 128 256; do
  picture=$tree/share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$picture" ] || fail "no ${size}x${size} icon named $icon"
  [ "$(png_size "$picture")" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $(png_size "$picture")"
done

metainfo=$tree/share/metainfo/org.fenmarrow.Zirrow.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  fail "the metainfo is not valid: $(cat "$work/appstream.log")"
grep -q "<launchable type=\"desktop-id\">${entry##*/}</launchable>" "$metainfo" ||
  fail "the metainfo does not launch the desktop entry"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo does not name release $version"

# The options and commands that a help text names, one a line.
named_in() { grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | sed 's/^[ ,]//' | sort -u; }
check_page() {
  local page=$1 help=$2
  [ -f "$page" ] || fail "no manual page $page"
  gzip -dc "$page" >"$work/page"
  groff -man -ww -z "$work/page" 2>"$work/groff.log"
  [ -s "$work/groff.log" ] && fail "${page##*/} has faults: $(cat "$work/groff.log")"
  groff -man -Tascii -P-cbou "$work/page" 2>/dev/null >"$work/page.txt"
  while read -r option; do
    grep -qF -- "$option" "$work/page.txt" || fail "${page##*/} does not describe $option"
  done < <(named_in <<<"$help")
}
check_page "$tree/share/man/man6/zirrow.6.gz" "$("$tree/bin/zirrow" --help)"
check_page "$tree/share/man/man1/zirrow-bench.1.gz" "$("$tree/bin/zirrow-bench" --help)"
level_help=$("$tree/bin/zirrow-level" --help)
commands=$(awk '/^Subcommands:/ {listing = 1; next} listing && /^  [a-z]/ {print $1}' <<<"$level_help")
[ -n "$commands" ] || fail "zirrow-level --help lists no commands"
for command in $commands; do
  level_help+=$'\n'"$("$tree/bin/zirrow-level" "$command" --help)"
  gzip -dc "$tree/share/man/man1/zirrow-level.1.gz" | grep -q "^\.B[IR]* \"\?$command" ||
    fail "zirrow-level.1 does not describe the command $command"
done
check_page "$tree/share/man/man1/zirrow-level.1.gz" "$level_help"
if [ -n "$start" ]; then
  "$start" "$entry" "$root" || fail "the installed menu entry does not start the game"
fi
echo "ok: the installation holds the programs, the demo, the menu entry, the icons, the metainfo and the manual pages"
