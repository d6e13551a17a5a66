#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (the end-to-end suite
# on an X display of its own, the rest headless).
# With --sanitize: the sanitizer run instead (scripts/sanitize.sh).
# With --bench: the benchmarks and screenshot tools are built too.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
case "${1:-}" in
    --sanitize) exec "$root/scripts/sanitize.sh" ;;
    --bench) export QUILLMARK_BENCH=ON ;;
esac
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
cd "$root/build"
ctest --output-on-failure --parallel "${QUILLMARK_JOBS:-$(nproc)}" --timeout 600
