#!/usr/bin/env bash
# Takes the README's pictures (docs/screenshots/) from the real program under Xvfb: starts the
# virtual adapter, lets the window capture its demo bus with its signal database loaded, and saves
# the monitor, the trace, the signals, the live plot (also zoomed in with its cursors), the
# predefined messages and the catalog window (each as far as this build has it).
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$PWD/docs/screenshots

bash scripts/bootstrap.sh
cmake --build "$build" --target ferrolux-readme-shots ferrolux-sim

# A home of its own: default settings, an empty data folder with a small catalog, and the
# virtual adapter announced where only this run looks.
home=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$home"
}
trap cleanup EXIT
export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/.config
# The demo bus's signal database, as scripts/run.sh loads it.
export FERROLUX_DBC=$PWD/tools/sim/demo-bus.dbc
mkdir -p "$XDG_RUNTIME_DIR" "$home/Documents/Ferrolux" "$out"
chmod 700 "$XDG_RUNTIME_DIR"
cat > "$home/Documents/Ferrolux/BMW.ini" <<'INI'
[CANID]
612=Engine Control Unit
640=Body Control Module
INI

"$build/tools/sim/ferrolux-sim" --serial SIM00001 &
sim_pid=$!
sleep 1
xvfb-run -a -s '-screen 0 1280x1024x24' "$build/packaging/ferrolux-readme-shots" "$out" SIM00001
