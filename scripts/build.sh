#!/usr/bin/env bash
# Configures and builds everything into build/ (the program folder is build/bin), or into the folder
# named by QUARNEL_BUILD_DIR. Arguments go to CMake's configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUARNEL_BUILD_DIR:-$top/build}
launcher=()
# A compiler cache is used where the machine has one; nothing needs it.
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
