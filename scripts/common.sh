# Shared by run.sh and test.sh: install what the build needs, then build Release into build/.
set -euo pipefail

KAVR_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libgl1-mesa-dev
    libjpeg62-turbo-dev libsndfile1-dev libx11-dev libxtst-dev
    fonts-liberation2 fonts-dejavu-core
    xvfb xdotool x11-utils x11-xkb-utils imagemagick
    g++-mingw-w64-x86-64 locales dpkg-dev file
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

# The unit and GUI tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer
# into the folder given (default build-asan); any report fails the test that made it. Only the
# tests' own programs are built (no tools, no benchmarks), and the tests that need an X server
# (label xvfb) or run a script or a cross compiler are left out.
kavr_sanitizer_tests() {
    local dir=${1:-build-asan}
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
        -DKAVR_SANITIZE=ON >/dev/null
    # Tests whose command is an executable of this build.
    local tests target test selected=()
    local -A targets=()
    mapfile -t tests < <(ctest --test-dir "$dir" -N -LE xvfb | sed -n 's/^ *Test *#[0-9]*: *//p')
    while read -r target; do
        targets[$target]=1
    done < <(ninja -C "$dir" -t targets all | sed -n 's/^\([^ :]*\): CXX_EXECUTABLE_LINKER.*/\1/p')
    for test in "${tests[@]}"; do
        if [ -n "${targets[$test]:-}" ]; then
            selected+=("$test")
        fi
    done
    if [ ${#selected[@]} -eq 0 ]; then
        echo "No tests for the sanitizer build" >&2
        return 1
    fi
    cmake --build "$dir" -j "$(nproc)" --target "${selected[@]}"

    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    # LeakSanitizer cannot stop the world where tracing is forbidden (some containers): there
    # it is switched off rather than failing every test.
    local probe
    probe=$("$dir/${selected[0]}" -functions 2>&1 >/dev/null || true)
    if grep -q 'LeakSanitizer has encountered a fatal error' <<<"$probe"; then
        echo "LeakSanitizer does not work here: leak checks are off" >&2
        ASAN_OPTIONS=${ASAN_OPTIONS/detect_leaks=1/detect_leaks=0}
    fi
    local pattern
    pattern="^($(IFS='|'; echo "${selected[*]}"))\$"
    ctest --test-dir "$dir" --output-on-failure -j 2 -R "$pattern"
}
