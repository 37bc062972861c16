#!/usr/bin/env bash
# Throughput of dump and of the main window (ferrolux-soak --socketcan) beside candump -d on one
# vcan at full speed (cangen -g 0), inside the test guest (tests/vm/run-in-vm.sh). Under
# software emulation the figures are a floor, not the machine's speed.
#
#   socketcan-throughput.sh BUILD_DIR [FRAMES]
set -uo pipefail
build=$(realpath "$1")
cli=$build/tools/cli/ferrolux-cli
frames=${2:-200000}
work=$(mktemp -d)
ip link add vcan0 type vcan && ip link set vcan0 up
"$cli" dump vcan0 --timeout 3600 >"$work/dump.log" 2>"$work/dump.err" &
dump=$!
candump -d -L vcan0 >"$work/candump.log" 2>"$work/candump.err" &
reference=$!
QT_QPA_PLATFORM=offscreen "$build/tools/soak/ferrolux-soak" --socketcan vcan0 --frames "$frames" >"$work/soak.log" 2>"$work/soak.err" &
soak=$!
until [ "$(grep -c '^ *vcan0 ' /proc/net/can/rcvlist_all)" -ge 3 ]; do
  kill -0 $soak 2>/dev/null || { echo "the window did not connect:"; cat "$work/soak.log" "$work/soak.err"; break; }
  sleep 0.1
done
start=$(date +%s.%N)
cangen vcan0 -g 0 -I 5A5 -L 8 -D i -n "$frames"
end=$(date +%s.%N)
quiet() {  # until neither log grows
  local before=-1 now
  while now=$(($(wc -l <"$work/dump.log") + $(wc -l <"$work/candump.log"))) && [ "$now" -ne "$before" ]; do
    before=$now
    sleep 1
  done
}
quiet
kill -INT $dump $reference
wait $dump $reference
wait $soak
soak_status=$?
dropped=$(sed -n 's/.*: \([0-9]*\) frames dropped by the kernel.*/\1/p' "$work/dump.err")
echo "cangen: $frames frames in $(echo "$end - $start" | bc) s"
echo "dump: $(wc -l <"$work/dump.log") received, ${dropped:-0} dropped by the kernel"
echo "candump -d: $(grep -c '^(' "$work/candump.log") received, \
$(sed -n 's/.*(total drops \([0-9]*\)).*/\1/p' "$work/candump.log" | tail -n 1) dropped by the kernel (its count)"
echo "window (exit $soak_status):"
sed 's/^/  /' "$work/soak.log"
