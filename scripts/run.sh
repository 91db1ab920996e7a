#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo machine under build/demo-machine and starts
# the main program on it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-packages.sh"
"$top/scripts/build.sh"
export QUARNEL_MACHINE="$top/build/demo-machine"
if [ ! -x "$top/build/bin/Quarnel" ]; then
  echo "Built the foundation into build/bin; the main program Quarnel is not part of the build yet."
  exit 0
fi
exec "$top/build/bin/Quarnel" "$@"
