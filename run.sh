#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vorlan Tesselor: ./run.sh [grab-file]
set -euo pipefail
cd "$(dirname "$0")"
./tools/bootstrap.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display to show the window on; to try it headless, run: xvfb-run ./run.sh" >&2
    exit 1
fi
exec ./build/bin/vorlan-tesselor "$@"
