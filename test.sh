#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds the library and the tests
# again with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs every
# test there, where any sanitizer report fails the test. The exit status fails when either run
# fails. Arguments go to both ctest runs; VT_SKIP_SANITIZE=1 leaves out the second run.
set -euo pipefail
cd "$(dirname "$0")"

status=0
./tools/bootstrap.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" "$@") ||
    status=1

if [ "${VT_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== The same tests with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)"
    ./tools/bootstrap.sh --sanitize
    (cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" "$@") ||
        status=1
fi
exit $status
