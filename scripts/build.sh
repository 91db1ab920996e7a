#!/usr/bin/env bash
# Configures and builds everything into build/ (the program folder is build/bin).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" -G Ninja "$@" >/dev/null
cmake --build "$top/build" --parallel "$(nproc)"
