#!/usr/bin/env bash
# Runs every test program of a build whole: all its cases in one process, twice over
# (--gtest_repeat=2), as ctest never does (it runs each case in a process of its own). Cases that
# leave state behind for the next fail here. Usage: scripts/test-whole.sh [build folder]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
export QUARNEL_TEST_BIN="$build/bin" QT_QPA_PLATFORM=offscreen
logs=$(mktemp -d)
run_whole() {
  local program=$1 log=$2/$(basename "$1").log
  if timeout 900 "$program" --gtest_repeat=2 >"$log" 2>&1; then
    echo "passed: $(basename "$program")"
  else
    echo "FAILED: $(basename "$program") (log: $log)"
  fi
}
export -f run_whole
# The test programs are the ones with GoogleTest inside; the other files there are their helpers.
find "$build/tests/bin" -maxdepth 1 -type f -perm -u+x -exec grep -l --binary-files=binary -e "--gtest_repeat" {} + |
  xargs -r -n1 -P "$(nproc)" bash -c 'run_whole "$2" "$1"' _ "$logs" >"$logs/summary"
sort "$logs/summary"
passed=$(grep -c '^passed' "$logs/summary" || true)
failed=$(grep -c '^FAILED' "$logs/summary" || true)
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
