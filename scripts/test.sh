#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. Non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

# The two-thread receive path once more, under ThreadSanitizer.
cmake -S . -B build-tsan -G Ninja -DFERROLUX_TSAN=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build build-tsan -j "$jobs"
(cd build-tsan && ctest --output-on-failure)
