#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
# With --sanitize: the sanitizer run instead (scripts/sanitize.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = --sanitize ]; then
    exec "$root/scripts/sanitize.sh"
fi
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
cd "$root/build"
ctest --output-on-failure --parallel "${QUILLMARK_JOBS:-$(nproc)}" --timeout 600
