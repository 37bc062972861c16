#!/usr/bin/env bash
# Builds Ferrolux and starts it, with the virtual adapter running behind it when it is built.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY/WAYLAND_DISPLAY unset); start one around it, e.g. xvfb-run -a scripts/run.sh" >&2
  exit 1
fi

bash scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(ferrolux)
grep -qs 'ferrolux-sim' tools/sim/CMakeLists.txt && targets+=(ferrolux-sim)
cmake --build build -j "$(nproc)" --target "${targets[@]}"

sim=build/tools/sim/ferrolux-sim
sim_pid=
if [ -x "$sim" ]; then
  "$sim" &
  sim_pid=$!
  trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true' EXIT
fi

build/app/ferrolux
