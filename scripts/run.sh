#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo machine under build/demo-machine (once) and
# starts the main program on it. Arguments go to the program ("autostart", "autoscan").
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-packages.sh"
"$top/scripts/build.sh"
"$top/build/scripts/MakeDemoMachine" "$top/build/demo-machine" "$top/build/bin"
export QUARNEL_MACHINE="$top/build/demo-machine"
exec "$top/build/bin/Quarnel" "$@"
