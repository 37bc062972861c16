#!/usr/bin/env bash
# Builds Ferrolux and starts it; with no adapter plugged in, the virtual adapter runs behind it.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY/WAYLAND_DISPLAY unset); start one around it, e.g. xvfb-run -a scripts/run.sh" >&2
  exit 1
fi

bash scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target ferrolux ferrolux-sim ferrolux-cli

sim_pid=
if [ -z "$(build/tools/cli/ferrolux-cli list 2>/dev/null)" ]; then
  echo "run: no adapter found; starting the virtual adapter ferrolux-sim (CAN-IF, SIM00001)"
  sim=build/tools/sim/ferrolux-sim
  "$sim" &
  sim_pid=$!
  trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true' EXIT
  # Its demo bus comes with a signal database: the Signals page decodes it at once.
  export FERROLUX_DBC="$PWD/tools/sim/demo-bus.dbc"
fi

build/app/ferrolux
