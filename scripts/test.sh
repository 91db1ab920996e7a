#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test once.
# --sanitize: the same in build-sanitize/, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# any report fails the test that caused it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-packages.sh"
if [ "${1:-}" = "--sanitize" ]; then
  build="$top/build-sanitize"
  flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  # Set before the build too: the build lists each test program's cases by running it.
  # Tests of crash reports and of a crashed child's exit code need a crash to take its course; a
  # crash still fails the test it happens in.
  export ASAN_OPTIONS="detect_leaks=1:handle_segv=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$top/scripts/sanitize/lsan.supp:print_suppressions=0"
  QUARNEL_BUILD_DIR="$build" "$top/scripts/build.sh" -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" -DCMAKE_MODULE_LINKER_FLAGS="$flags"
else
  build="$top/build"
  "$top/scripts/build.sh"
fi
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
