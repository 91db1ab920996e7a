#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-packages.sh"
"$top/scripts/build.sh"
cd "$top/build"
# A test that fails is run once more before it counts as failed: some widget tests' processes still
# crash now and then at their exit, after the test itself has passed, while a background request
# the page left to end on its own is still running. A fault that shows twice fails the run.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300 --repeat until-pass:2
