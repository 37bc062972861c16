#!/usr/bin/env bash
# The SocketCAN checks against the kernel's CAN stack, run inside the test guest as root
# (tests/vm/run-in-vm.sh): ferrolux-cli against vcan interfaces with can-utils as the peer, and
# against slcan0, the kernel's slcan driver on ferrolux-sim's pseudo-terminal.
#
#   socketcan-stage.sh BUILD_DIR
#
# Ends with "N passed, N failed" and a non-zero status when any check failed.
set -uo pipefail
build=$(realpath "$1")
cli=$build/tools/cli/ferrolux-cli
sim=$build/tools/sim/ferrolux-sim
work=$(mktemp -d)
passed=0 failed=0

ok() { passed=$((passed + 1)); echo "ok: $*"; }
bad() { failed=$((failed + 1)); echo "FAILED: $*"; }
check() {  # check NAME COMMAND...: passes when the command succeeds
  local name=$1
  shift
  if "$@"; then ok "$name"; else bad "$name"; fi
}
# Raw sockets bound to an interface, as the kernel lists them (each bound socket once).
receivers() { grep -c "^ *$1 " /proc/net/can/rcvlist_all 2>/dev/null || true; }
# Waits until N sockets are bound to the interface; programs start slowly under emulation.
wait_receivers() {
  local interface=$1 count=$2 tries=0
  until [ "$(receivers "$interface")" -ge "$count" ]; do
    tries=$((tries + 1))
    [ $tries -gt 600 ] && { echo "no $count receivers on $interface after 60 s"; return 1; }
    sleep 0.1
  done
}
wait_for() {  # wait_for SECONDS COMMAND...: polls until the command succeeds
  local limit=$(($1 * 10)) tries=0
  shift
  until "$@"; do
    tries=$((tries + 1))
    [ $tries -gt $limit ] && return 1
    sleep 0.1
  done
}
exited() { ! kill -0 "$1" 2>/dev/null; }
frames_of() { sed -e 's/^([0-9.]*) [^ ]* //' "$1"; }  # the ID#DATA column of candump lines
as_nobody() { HOME=$work setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all "$@"; }

for interface in vcan0 vcan1 vcan2; do ip link add "$interface" type vcan; done
ip link set vcan0 up
ip link set vcan1 up
echo "kernel $(uname -r); can-utils $(dpkg-query -W -f='${Version}' can-utils)"

# --- listing: every CAN interface, up or down
"$cli" list >"$work/list" 2>&1
for interface in vcan0 vcan1 vcan2; do
  check "list shows $interface" grep -q "^SOCKETCAN	$interface	SocketCAN$" "$work/list"
done
[ $failed -eq 0 ] || cat "$work/list"

# --- dump against candump -L, frame for frame with the kernel's time stamps
frames=(123# 123#11 123#1122 123#112233 123#11223344 123#1122334455 123#112233445566 123#11223344556677
  123#1122334455667788 000#00 7FF#FF 1ABCDEF0#0102 00000001# 1FFFFFFF#1122334455667788 456#R 456#R0 456#R1
  456#R8 18DAF110#R 18DAF110#R3)
candump -L -n ${#frames[@]} vcan0 >"$work/candump.log" &
reference=$!
"$cli" dump vcan0 --count ${#frames[@]} --timeout 120 >"$work/dump.log" 2>"$work/dump.err" &
dump=$!
wait_receivers vcan0 2
for frame in "${frames[@]}"; do cansend vcan0 "$frame"; done
wait $dump
status=$?
wait $reference
check "dump ends after --count frames" [ $status -eq 0 ]
check "dump prints ${#frames[@]} frames" [ "$(wc -l <"$work/dump.log")" -eq ${#frames[@]} ]
if diff "$work/candump.log" "$work/dump.log" >"$work/diff"; then
  ok "dump lines equal candump -L lines, time stamps included"
else
  bad "dump lines equal candump -L lines, time stamps included"
  head -n 10 "$work/diff"
fi

# --- send of each kind, seen by candump; the refusals
sent=(123#1122 18DAF110#01 123#R 123#R4 7FF# 1FFFFFFF#1122334455667788)
candump -L -n ${#sent[@]} vcan0 >"$work/sent.log" &
reference=$!
wait_receivers vcan0 1
for frame in "${sent[@]}"; do
  check "send $frame" "$cli" send vcan0 "$frame"
done
wait $reference
check "candump saw what send sent" diff <(printf '%s\n' "${sent[@]}") <(frames_of "$work/sent.log")
for frame in 800#11 123#112233445566778899 20000000#11 123#1 xyz; do
  "$cli" send vcan0 "$frame" >/dev/null 2>"$work/refused"
  check "send refuses $frame with status 2 and a message" test $? -eq 2 -a -s "$work/refused"
done
"$cli" send vcan7 123#11 2>"$work/refused"
check "send to an unknown interface fails with status 2" test $? -eq 2

# --- a down interface: brought up by the program where it may, said plainly where it may not
ip link set vcan2 down
as_nobody "$cli" send vcan2 123#11 2>"$work/send-down"
status=$?
check "send on a down interface without permission: status 2" [ $status -eq 2 ]
check "... says that the interface is down" grep -q "vcan2 is down and this user may not bring it up" "$work/send-down"
as_nobody "$cli" dump vcan2 --timeout 2 2>"$work/dump-down"
check "dump on a down interface without permission: status 2 and why" \
  test $? -eq 2 -a "$(grep -c 'vcan2 is down' "$work/dump-down")" -eq 1
check "send as root brings the interface up" "$cli" send vcan2 123#11
check "... and it is up" grep -q UP <(ip link show vcan2)

# --- acceptance filter rows: code 60206100, mask 011F001F pass 0x301, 0x308, 0x309 only
"$cli" dump vcan0 --code 60206100 --mask 011F001F --count 3 --timeout 120 >"$work/filtered.log" 2>&1 &
dump=$!
wait_receivers vcan0 1
for id in 300 301 302 303 304 305 306 307 308 309 30A 30B 30C 30D 30E 30F 123 000; do cansend vcan0 "$id#"; done
wait $dump
check "the filter rows pass exactly 301, 308, 309" diff <(printf '301#\n308#\n309#\n') <(frames_of "$work/filtered.log")

# --- error frames are counted, never printed as frames of the bus
"$cli" dump vcan0 --count 1 --timeout 120 >"$work/errors.log" 2>&1 &
dump=$!
wait_receivers vcan0 1
cansend vcan0 20000080#0000000000000000  # CAN_ERR_FLAG | CAN_ERR_BUSOFF
cansend vcan0 20000004#0004000000000000  # CAN_ERR_FLAG | CAN_ERR_CRTL, RX passive
cansend vcan0 321#AA
wait $dump
check "an error frame is not printed as a frame" diff <(echo 321#AA) <(frames_of "$work/errors.log")

# --- an interface taken down and up during a capture is a pause
"$cli" dump vcan1 --count 2 --timeout 120 >"$work/pause.log" 2>"$work/pause.err" &
dump=$!
wait_receivers vcan1 1
cansend vcan1 101#01
wait_for 30 grep -q '101#01' "$work/pause.log"
ip link set vcan1 down
check "dump says the interface is down" wait_for 30 grep -q 'vcan1 is down; waiting for it to come up' "$work/pause.err"
ip link set vcan1 up
check "dump says it is up again" wait_for 30 grep -q 'vcan1 is up again' "$work/pause.err"
cansend vcan1 102#02
wait_for 60 exited $dump
wait $dump
check "dump goes on receiving after the pause" test $? -eq 0 -a "$(frames_of "$work/pause.log" | tr '\n' ' ')" = "101#01 102#02 "

# --- an interface deleted during a capture is a lost device
ip link add vcan9 type vcan && ip link set vcan9 up
start=$SECONDS
"$cli" dump vcan9 --timeout 120 >"$work/lost.log" 2>"$work/lost.err" &
dump=$!
wait_receivers vcan9 1
cansend vcan9 201#01
wait_for 30 grep -q '201#01' "$work/lost.log"
ip link del vcan9
wait_for 60 exited $dump
wait $dump
status=$?
check "dump ends with status 3 when its interface is deleted" [ $status -eq 3 ]
check "... at once, not at --timeout" [ $((SECONDS - start)) -lt 100 ]
check "... saying so" grep -q 'vcan9: the interface is gone' "$work/lost.err"
check "... after printing what came before" grep -q '201#01' "$work/lost.log"

# --- frames the kernel drops are counted: received + dropped = sent
burst=40000
"$cli" dump vcan0 --timeout 600 >"$work/burst.log" 2>"$work/burst.err" &
dump=$!
wait_receivers vcan0 1
kill -STOP $dump  # a reader that is not scheduled while the bus is full
cangen vcan0 -g 0 -I 5A5 -L 8 -D i -n $burst
kill -CONT $dump
wait_for 120 test "$(receivers vcan0)" -ge 1
sleep_until_quiet() {  # the count stops growing
  local before=-1 now
  while now=$(wc -l <"$work/burst.log") && [ "$now" -ne "$before" ]; do
    before=$now
    sleep 1
  done
}
sleep_until_quiet
kill -INT $dump
wait $dump
received=$(wc -l <"$work/burst.log")
dropped=$(sed -n 's/.*: \([0-9]*\) frames dropped by the kernel.*/\1/p' "$work/burst.err")
echo "burst of $burst frames: $received received, ${dropped:-0} dropped by the kernel"
check "dump reports the frames the kernel dropped" test -n "$dropped"
check "received + dropped = sent" [ $((received + ${dropped:-0})) -eq $burst ]

# --- an idle dump sleeps: its CPU time hardly grows with its length
cpu_of_dump() {  # user + system seconds of a dump of $1 seconds on a silent interface, in ms
  local line
  line=$(bash -c '"$1" dump vcan2 --timeout "$2" >/dev/null 2>&1; times' _ "$cli" "$1" | tail -n 1)
  echo "$line" | awk '{ n = 0; for (i = 1; i <= 2; i++) { split($i, t, "m"); n += t[1] * 60000 + t[2] * 1000 } printf "%d\n", n }'
}
short=$(cpu_of_dump 2)
long=$(cpu_of_dump 12)
echo "idle dump: $short ms of CPU for 2 s, $long ms for 12 s"
check "10 s more of an idle dump cost less than 0.25 s of CPU" [ $((long - short)) -lt 250 ]

# --- slcan0: the kernel's slcan driver on ferrolux-sim's pseudo-terminal
"$sim" --record "$work/sim-record.log" 2>"$work/sim.err" &
simulator=$!
wait_for 60 grep -q ' on /dev/pts/' "$work/sim.err"
pty=$(sed -n 's|.* on \(/dev/pts/[0-9]*\),.*|\1|p' "$work/sim.err")
slcand -o -c -s6 "$pty" slcan0
check "slcand attaches slcan0 to the simulator" wait_for 60 test -e /sys/class/net/slcan0
"$cli" list >"$work/list" 2>&1
check "list shows the down slcan0" grep -q "^SOCKETCAN	slcan0	SocketCAN$" "$work/list"
"$cli" dump slcan0 --btr 001C --count 5 --timeout 120 >"$work/slcan-first.log" 2>"$work/slcan.err"
check "dump brings the down slcan0 up with the register pair and receives the demo bus" \
  test $? -eq 0 -a "$(wc -l <"$work/slcan-first.log")" -eq 5
check "... at 500 kbit/s" grep -q 'bitrate 500000' <(ip -details link show slcan0)
# The bus runs on: candump binds first and ends last, so every line of dump is among its lines.
candump -L slcan0 >"$work/slcan-candump.log" &
reference=$!
wait_receivers slcan0 1
"$cli" dump slcan0 --count 5 --timeout 120 >"$work/slcan.log" 2>"$work/slcan.err"
kill -INT $reference
wait $reference
check "dump on slcan0 as candump -L, time stamps included" \
  test "$(grep -c -F -x -f "$work/slcan.log" "$work/slcan-candump.log")" -eq 5
check "send on slcan0" "$cli" send slcan0 1A2#C0FFEE
check "... reaches the simulator's record" wait_for 60 grep -q '1A2#C0FFEE' "$work/sim-record.log"
ip link set slcan0 down
"$cli" dump slcan0 --bitrate 300 --timeout 30 >/dev/null 2>"$work/slcan300.err"
check "a bit rate the kernel refuses on slcan0: status 2" test $? -eq 2
check "... with the reason" grep -q 'slcan0 is down and the kernel refused to bring it up at 300 Kbit/s' "$work/slcan300.err"
check "--bitrate 250 on the down slcan0" "$cli" dump slcan0 --bitrate 250 --count 1 --timeout 120 >/dev/null
check "... sets 250 kbit/s" grep -q 'bitrate 250000' <(ip -details link show slcan0)
ip link set slcan0 down
kill "$(pgrep -x slcand)" 2>/dev/null
kill $simulator
wait $simulator

# --- the window: its connect menu, a capture through it, a pause and a loss
ip link add vcan5 type vcan && ip link set vcan5 up
FERROLUX_KERNEL_VCAN=vcan5 QT_QPA_PLATFORM=offscreen "$build/tests/app/test_connect" \
  --gtest_filter='*KernelInterface*' >"$work/window.log" 2>&1
status=$?
check "the window captures through its connect menu, pauses while down, takes its lost path" \
  test $status -eq 0 -a "$(grep -c '^\[  PASSED  \] 1 test' "$work/window.log")" -eq 1
[ $status -eq 0 ] || tail -n 30 "$work/window.log"

echo "socketcan: $passed passed, $failed failed"
[ $failed -eq 0 ]
