#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the demo host
# application on the embedded demo database (made and filled on first use).
# On a machine without a display it writes a screenshot of the window instead
# and says where. Arguments go to the application (see --help).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/packages.sh"

torva_install_packages "${TORVA_BUILD_PACKAGES[@]}"
torva_build probation-db probation-demo >/dev/null

demo="$top/build/apps/probation-demo/probation-demo"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: rendering the window to a picture instead."
    QT_QPA_PLATFORM=offscreen exec "$demo" --screenshot "$top/build/probation-demo.png" "$@"
fi
exec "$demo" "$@"
