#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. Non-zero on any failure.
# Each stage below is one block and reports how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
jobs=$(nproc)

# Every build: Ninja, warnings fail our own code, ccache when the machine has it.
common=(-G Ninja -DFERROLUX_WERROR=ON)
if command -v ccache >/dev/null; then
  common+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
clang=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)

stage_name=""
stage() {  # ends the running stage with its time, then names the next one
  [ -n "$stage_name" ] && echo "=== ${stage_name}: $((SECONDS - stage_start)) s"
  stage_name=$1
  stage_start=$SECONDS
  [ -n "$stage_name" ] && echo "=== ${stage_name}"
  return 0
}

stage "The whole suite (GCC, RelWithDebInfo)"
cmake -S . -B build "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

stage "SocketCAN against the kernel's CAN stack: the CLI, vcan, slcan and can-utils in a guest (QEMU, TCG)"
VM_TIMEOUT=600 tests/vm/run-in-vm.sh build/vm tests/vm/socketcan-stage.sh build

stage "The two-thread receive path under ThreadSanitizer (GCC)"
cmake -S . -B build-tsan "${common[@]}" -DFERROLUX_TSAN=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build build-tsan -j "$jobs"
(cd build-tsan && ctest --output-on-failure)

stage "The whole suite under AddressSanitizer and UBSan, fuzz targets over their seeds (clang, -O1)"
cmake -S . -B build-asan "${common[@]}" "${clang[@]}" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
      -DFERROLUX_SANITIZE=address,undefined -DFERROLUX_FUZZ=ON
cmake --build build-asan -j "$jobs"
supp="$PWD/tests/sanitizers"
(cd build-asan &&
   ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1 \
   LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0" \
   UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp" \
   ctest --output-on-failure -j "$jobs")

stage "Release build of the programs (clang)"
cmake -S . -B build-clang "${common[@]}" "${clang[@]}" -DCMAKE_BUILD_TYPE=Release
cmake --build build-clang -j "$jobs" --target ferrolux ferrolux-cli ferrolux-sim

stage ""
