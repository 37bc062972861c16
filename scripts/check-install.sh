#!/usr/bin/env bash
# Checks what a user gets: "tree" installs the build into a temporary prefix and checks the files,
# the desktop entry, the metainfo and that every man page names the commands and options its
# program's help names; "deb" builds the Debian package and checks its contents and dependencies.
#   scripts/check-install.sh tree|deb BUILD_DIR
set -euo pipefail
mode=$1
build=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app_id=org.ferrolux.Ferrolux
failures=0
fail() { echo "check-install: $*" >&2; failures=$((failures + 1)); }

# Long options (and, for the cli, command names) that a text names, one a line, sorted.
help_options() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
man_options() { sed 's/\\-/-/g' | grep -o -- '--[a-z][a-z-]*' | sort -u; }
help_commands() { sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }' | sort -u; }
man_commands() { sed -n 's/^\.SS \([a-z]*\).*/\1/p' | sort -u; }

same() {  # what, left, right
  [ "$2" = "$3" ] || fail "$1 differ: help has [$(echo $2)], man page has [$(echo $3)]"
}

check_tree() {
  local prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" > "$work/install.log"
  local share=$prefix/share
  for f in bin/ferrolux bin/ferrolux-cli bin/ferrolux-sim \
           share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
           share/icons/hicolor/scalable/apps/$app_id.svg \
           share/man/man1/ferrolux.1.gz share/man/man1/ferrolux-cli.1.gz share/man/man1/ferrolux-sim.1.gz \
           share/ferrolux/demo-bus.dbc; do
    [ -e "$prefix/$f" ] || fail "missing $f"
  done
  for size in 16 22 24 32 48 64 128 256; do
    local png=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
    if [ ! -e "$png" ]; then fail "missing ${size}x${size} icon"; continue; fi
    [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "${size}x${size} icon has the wrong size"
  done
  desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop entry is not valid"
  appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" > "$work/appstream.log" ||
    { cat "$work/appstream.log" >&2; fail "metainfo is not valid"; }
  grep -q "^Icon=$app_id$" "$share/applications/$app_id.desktop" || fail "desktop entry names another icon"
  grep -q "<project_license>MIT</project_license>" "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo names no licence"
  grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$share/doc/ferrolux/copyright" ||
    fail "no machine-readable copyright file"

  # The installed programs answer --help, and their man pages say the same.
  local cli=$prefix/bin/ferrolux-cli sim=$prefix/bin/ferrolux-sim
  "$cli" --version | grep -q '^ferrolux-cli [0-9]' || fail "ferrolux-cli --version"
  local cli_help
  cli_help=$("$cli" --help)
  for command in $(help_commands <<< "$cli_help"); do
    [ "$command" = help ] || cli_help+=$'\n'$("$cli" help "$command")
  done
  local cli_man sim_man
  cli_man=$(gzip -dc "$share/man/man1/ferrolux-cli.1.gz")
  sim_man=$(gzip -dc "$share/man/man1/ferrolux-sim.1.gz")
  same "ferrolux-cli commands" "$(help_commands <<< "$cli_help")" "$(man_commands <<< "$cli_man")"
  same "ferrolux-cli options" "$(help_options <<< "$cli_help")" "$(man_options <<< "$cli_man")"
  same "ferrolux-sim options" "$("$sim" --help | help_options)" "$(man_options <<< "$sim_man")"
  for page in ferrolux ferrolux-cli ferrolux-sim; do
    gzip -dc "$share/man/man1/$page.1.gz" | MANWIDTH=80 man -l - > /dev/null 2> "$work/man.log" || fail "man $page"
    [ ! -s "$work/man.log" ] || { cat "$work/man.log" >&2; fail "man $page warns"; }
  done
}

check_deb() {
  (cd "$build" && cpack -G DEB -B "$work/deb" > "$work/cpack.log") || { cat "$work/cpack.log" >&2; fail "cpack"; return; }
  local deb
  deb=$(ls "$work"/deb/ferrolux_*.deb)
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  for lib in libqt6widgets6 libqt6core6 libhidapi-hidraw0 libc6; do
    grep -q "$lib" <<< "$depends" || fail "package does not depend on $lib: $depends"
  done
  dpkg-deb -c "$deb" > "$work/contents"
  for f in ./usr/bin/ferrolux ./usr/bin/ferrolux-cli ./usr/bin/ferrolux-sim ./usr/share/applications/$app_id.desktop \
           ./usr/share/metainfo/$app_id.metainfo.xml ./usr/share/man/man1/ferrolux-cli.1.gz ./usr/share/doc/ferrolux/copyright \
           ./usr/share/ferrolux/demo-bus.dbc; do
    grep -q " $f\$" "$work/contents" || fail "package lacks $f"
  done
}

case $mode in
  tree) check_tree ;;
  deb) check_deb ;;
  *) echo "usage: $0 tree|deb BUILD_DIR" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || exit 1
echo "check-install: $mode fine"
