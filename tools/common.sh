# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by tools/run and tools/test: installs the Debian packages the build needs when they are
# missing, then configures and builds in ./build (and, for tools/test --all, in ./build-sanitize).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libgtest-dev
          xvfb xauth xdotool x11-utils python3 dpkg-dev file xclip imagemagick desktop-file-utils
          clang-format clang-tidy-14 strace at-spi2-core dbus-daemon dbus-bin python3-pyatspi
          gir1.2-atspi-2.0 orca)
# The Windows program and its tests (tools/test --all): the cross compiler, GoogleTest's sources to build
# with it, Wine and the fonts Wine shows Windows programs in (Tahoma as the system font), the
# installer's maker (NSIS), the icon's tools (rsvg-convert, with ImageMagick above), and what
# tools/windows-qt needs to fetch and unpack Debian's Qt source.
windows_test_packages=(g++-mingw-w64-x86-64-posix googletest wine64 fonts-wine nsis librsvg2-bin dpkg-dev)
# The checks a distribution makes (tools/test): the licence of every file (reuse), the Debian
# package (lintian), the AppStream metainfo (appstream; desktop-file-utils above checks the
# desktop entry).
distribution_test_packages=(reuse lintian appstream)
# The report program's pages opened in a real browser, headless, and checked there by axe-core
# (the test installs axe-core itself with npm, outside the checkout), and its CSV in two
# spreadsheets (tools/test). Debian's npm only where there is no npm yet: a Node.js from elsewhere
# (NodeSource's, say) carries its own, and Debian's npm conflicts with it.
report_test_packages=(chromium nodejs gnumeric libreoffice-calc-nogui)
command -v npm >/dev/null || report_test_packages+=(npm)
# The fuzzer (tools/test --all): clang and its runtime libraries, libFuzzer's among them.
fuzz_packages=(clang-14 libclang-rt-14-dev)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
    fi
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build
}

# The program and its core and window tests again, in ./build-sanitize, with AddressSanitizer (its
# leak checker on) and UndefinedBehaviorSanitizer: any finding ends the program in error. At -O1,
# so that the tests run at a fair speed; only what its tests run (no benchmarks, no Windows tests,
# no report program, no package), and the course's bank as ./build made it when it did (the
# sanitizers have nothing to find in the generator of a data file). Warnings are the strict
# build's to fail on: the sanitizers' checks make GCC see uninitialised values where there are
# none (in the standard library's <regex>, for one).
build_sanitized() {
    local bank=()
    [ ! -f build/generated/BankData.cpp ] || bank=("-DTOLVANEX_BANK_CPP_PREBUILT=$PWD/build/generated/BankData.cpp")
    sanitizer_environment
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" \
          -DTOLVANEX_SANITIZE=ON -DTOLVANEX_TESTS=ON -DTOLVANEX_BENCH=OFF -DTOLVANEX_WERROR=OFF \
          -DTOLVANEX_WINDOWS_TESTS=OFF "${bank[@]}"
    # The build lists each test program's tests by running it, under the sanitizers already.
    cmake --build build-sanitize --target sanitized_tests
}

# The sanitizers' settings, for the build (which runs its test programs) and the tests: leaks are
# checked at exit, less the libraries' own (tests/sanitizers/lsan.supp says which and why).
sanitizer_environment() {
    export ASAN_OPTIONS=detect_leaks=1
    export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
}
