#!/usr/bin/env bash
# The main job: installs what is missing, builds, makes the embedded demo
# database on first use and shows what it holds.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/packages.sh"

torva_install_packages "${TORVA_BUILD_PACKAGES[@]}"
torva_build probation-db >/dev/null

tool="$top/build/apps/probation-db/probation-db"
"$tool" seed --demo >/dev/null
exec "$tool" info "$@"
