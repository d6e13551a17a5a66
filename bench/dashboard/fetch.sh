#!/usr/bin/env bash
# Installs the admin dashboard the dashboard benchmark runs on, AdminLTE 3.2.0
# as the npm registry has it, into data/admin-lte-3.2.0 (kept out of git).
#   bench/dashboard/fetch.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
target=$here/data/admin-lte-3.2.0
if [ -f "$target/pages/widgets.html" ]; then
    echo "already installed: $target"
    exit 0
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && npm pack --silent admin-lte@3.2.0 >/dev/null && tar xzf admin-lte-3.2.0.tgz)
mkdir -p "$here/data"
rm -rf "$target"
mv "$scratch/package" "$target"
echo "installed: $target"
