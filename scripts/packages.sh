# Installs the Debian packages given as arguments that are not installed yet.
# Sourced by the run and test scripts.

torva_install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

TORVA_BUILD_PACKAGES=(build-essential cmake qt6-base-dev qt6-tools-dev libqt6sql6-sqlite libqt6sql6-psql
                      libqt6sql6-odbc libsqlite3-dev libpq-dev unixodbc-dev libqt6opengl6-dev libgl-dev fonts-liberation
                      clang libclang-rt-14-dev)

# Configures and builds into build/ (the targets given, or everything).
torva_build() {
    local top
    top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    if [ $# -gt 0 ]; then
        local targets=()
        local target
        for target in "$@"; do targets+=(--target "$target"); done
        cmake --build "$top/build" -j"$(nproc)" "${targets[@]}"
    else
        cmake --build "$top/build" -j"$(nproc)"
    fi
}
