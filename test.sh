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
cd "$root/build"
ctest --output-on-failure --parallel "${QUILLMARK_JOBS:-$(nproc)}" --timeout 600
