# Shared by run.sh and test.sh: install what the build needs, then build Release into build/.
set -euo pipefail

KAVR_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libgl1-mesa-dev
    libjpeg62-turbo-dev libsndfile1-dev libx11-dev libxtst-dev
    fonts-liberation2 fonts-dejavu-core
    xvfb xdotool x11-utils x11-xkb-utils imagemagick
    g++-mingw-w64-x86-64 locales
)

kavr_install_packages() {
    local missing=()
    for package in "${KAVR_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Build type Release into the folder given (default build/).
kavr_build() {
    local dir=${1:-build}
    shift || true
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
