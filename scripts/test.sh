#!/usr/bin/env bash
# Every test: installs what is missing (PostgreSQL included), builds, starts a
# throwaway PostgreSQL server on loopback, runs the whole suite on both
# engines and stops the server again, whatever the outcome.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/packages.sh"
source "$top/scripts/postgres.sh"

torva_install_packages "${TORVA_BUILD_PACKAGES[@]}" postgresql xvfb xauth
torva_build

trap torva_postgres_stop EXIT
torva_postgres_start
export TORVA_REQUIRE_POSTGRES=1
export QT_QPA_PLATFORM=offscreen

cd "$top/build"
ctest --output-on-failure -j"$(nproc)" "$@"
