#!/usr/bin/env bash
# The sanitizer run (./test.sh --sanitize, and CI after ./test.sh): the suites
# listed in tests/CMakeLists.txt, built with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ and run headless. Any report
# fails its suite; the options of each suite are set there too.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" --packages-only

jobs=${QUILLMARK_JOBS:-$(nproc)}
cmake -S "$root" -B "$root/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE= \
    -DCMAKE_CXX_COMPILER=clang++ -DQUILLMARK_SANITIZE=ON >/dev/null
find "$root/build-sanitize" -path '*_autogen/timestamp' -delete
cmake --build "$root/build-sanitize" --target sanitized_tests --parallel "$jobs"

export QT_QPA_PLATFORM=offscreen
cd "$root/build-sanitize"
ctest --output-on-failure --parallel "$jobs" --timeout 600
