#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs the Debian packages that are
# missing, then configures and builds Quillmark into build/ (not with
# --packages-only, which the sanitizer run uses).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(
    cmake ninja-build g++ ccache pkg-config lld
    qt6-base-dev qt6-base-dev-tools chromium
    qt6-svg-dev qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    libplist-dev libminizip-dev zlib1g-dev libdeflate-dev libgumbo-dev libxml2-dev
    closure-compiler yui-compressor
    python3 python3-jsbeautifier libjs-bootstrap5 dbus-daemon
    fonts-dejavu-core
    xvfb xdotool openbox x11-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing missing packages: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "${1:-}" = --packages-only ]; then
    exit 0
fi

build_type=${QUILLMARK_BUILD_TYPE:-RelWithDebInfo}
# Configure every time: it is quick, and picks up subsystem folders added since.
# QUILLMARK_BENCH=ON builds the benchmarks and screenshot tools (./test.sh
# --bench); QUILLMARK_DEBUG_INFO=OFF leaves out debug information (CI).
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
    -DQUILLMARK_BENCH="${QUILLMARK_BENCH:-OFF}" -DQUILLMARK_DEBUG_INFO="${QUILLMARK_DEBUG_INFO:-ON}" >/dev/null
# Incremental builds sometimes miss headers that gained Q_OBJECT since the last
# moc run; dropping the stamp makes the moc step look at every header again.
find "$root/build" -path '*_autogen/timestamp' -delete
cmake --build "$root/build" --parallel "${QUILLMARK_JOBS:-$(nproc)}"
