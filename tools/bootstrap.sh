#!/usr/bin/env bash
# Installs the Debian packages the build needs when they are missing, then configures and
# builds into build/ (incrementally). Used by run.sh and test.sh. With --sanitize it builds the
# library, the tools and the tests instrumented with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ instead (no window program, no benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=0
[ "${1:-}" = --sanitize ] && sanitize=1

packages=(cmake ninja-build g++ pkg-config python3 qt6-base-dev libgif-dev libdeflate-dev libgtest-dev
          libgmock-dev libbenchmark-dev fonts-dejavu-core fonts-liberation2 chromium)
./tools/install-packages.sh "${packages[@]}"

if [ $sanitize = 1 ]; then
    if [ ! -f build-asan/CMakeCache.txt ]; then
        cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVT_SANITIZE=ON \
            -DVT_BUILD_APP=OFF -DVT_BUILD_BENCH=OFF
    fi
    cmake --build build-asan --parallel "$(nproc)"
    exit 0
fi

if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build --parallel "$(nproc)"
