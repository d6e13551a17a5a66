#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillmark.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"

# Windows are placed at absolute positions; Wayland forbids that, X11 allows it.
if [ -n "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    export QT_QPA_PLATFORM=xcb
fi
exec "$root/build/quillmark" "$@"
