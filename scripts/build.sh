#!/usr/bin/env bash
# Configures and builds everything into build/ with the MinGW-w64 toolchain.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=ON >/dev/null
cmake --build "$top/build" -j "$(nproc)"
