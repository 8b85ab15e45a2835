#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; the exit status is the tests'.
set -euo pipefail
cd "$(dirname "$0")"
./tools/bootstrap.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" "$@"
