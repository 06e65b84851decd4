# Shared by run.sh and test.sh: install what is missing, build Release into build/.
set -euo pipefail

# What building and running the programs need (the build configures the tests too, which link
# libxtst): the report's workbook writer and its translations' tools among them.
KAVR_BUILD_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libgl1-mesa-dev
    libjpeg62-turbo-dev libsndfile1-dev libx11-dev libxtst-dev
    libxlsxwriter-dev qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    fonts-liberation2 fonts-dejavu-core
)
# What only the tests need: a private X server and input for the black-box tests, screenshots,
# a window manager to frame the program (IceWM), the Windows cross compiler, locales, what cpack
# needs for the Debian package, and the formatter that checks a commit's lines
# (scripts/check-format.sh), and a spreadsheet program that reads the report's workbook back.
KAVR_TEST_PACKAGES=(
    xvfb xdotool x11-utils x11-xkb-utils imagemagick icewm
    g++-mingw-w64-x86-64 locales dpkg-dev file chromium clang-format libreoffice-calc-nogui
)

KAVR_CONFIGURE=()

# kavr_install_packages PACKAGE...: installs those of them that are missing.
kavr_install_packages() {
    local missing=()
    for package in "$@"; do
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

# kavr_build [DIR [TARGET...]]: build type Release into DIR (default build/); every target
# unless some are named. KAVR_CONFIGURE: more cache settings for the configure step.
kavr_build() {
    local dir=${1:-build}
    shift || true
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    # CI builds with warnings as errors; by hand a warning does not stop the build.
    local strict=()
    [ "${CI:-}" != true ] || strict=(-DKAVR_WERROR=ON)
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${strict[@]}" "${KAVR_CONFIGURE[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# The unit and GUI tests (labels unit and gui) once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer into the folder given (default build-asan); any report fails the
# test that made it. Only those tests' programs are built (target kavr_sanitized_tests).
kavr_sanitizer_tests() {
    local dir=${1:-build-asan}
    local strict=()
    [ "${CI:-}" != true ] || strict=(-DKAVR_WERROR=ON)
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
        -DKAVR_SANITIZE=ON "${strict[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)" --target kavr_sanitized_tests

    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    # LeakSanitizer cannot stop the world where tracing is forbidden (some containers): there
    # it is switched off rather than failing every test.
    local probe
    probe=$("$dir/test_core_format" -functions 2>&1 >/dev/null || true)
    if grep -q 'LeakSanitizer has encountered a fatal error' <<<"$probe"; then
        echo "LeakSanitizer does not work here: leak checks are off" >&2
        ASAN_OPTIONS=${ASAN_OPTIONS/detect_leaks=1/detect_leaks=0}
    fi
    ctest --test-dir "$dir" --output-on-failure -j 2 -L '^(unit|gui)$'
}
