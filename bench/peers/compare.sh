#!/usr/bin/env bash
# Times Quillmark's parsers and their peers side by side: ROUNDS rounds, each
# running Quillmark's benchmark and then the peer's on the same file, so that
# both see the same load. Prints each round's medians and, at the end, the
# median of each figure over the rounds and the median of the ratios.
#
#   bench/peers/compare.sh css FILE.css [ROUNDS] [ITERATIONS]
#   bench/peers/compare.sh html [ROUNDS] [ITERATIONS]   (the 10,000-element page)
#   bench/peers/compare.sh write FILE.css [ROUNDS] [ITERATIONS]   (one value edit written back)
#
# Needs `npm ci` in bench/peers once, and a build in build/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${QUILLMARK_BUILD:-$here/../../build}
mode=$1; shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if [ "$mode" = css ]; then
    file=$1; rounds=${2:-5}; iterations=${3:-100}
    ours=("$build/bench/stylesheet/stylesheet_bench" "$file" "$iterations")
    peer=(node "$here/peers.mjs" css "$file" "$iterations")
elif [ "$mode" = write ]; then
    file=$1; rounds=${2:-5}; iterations=${3:-40}
    ours=(env QT_QPA_PLATFORM=offscreen "$build/bench/cssrules/cssrules_write_bench" "$file" "$iterations" --step-only)
    peer=(node "$here/peers.mjs" write "$file" "$iterations")
elif [ "$mode" = html ]; then
    rounds=${1:-5}; iterations=${2:-50}
    file=$scratch/page.html
    "$build/bench/dom/html_bench" --write-page "$file"
    ours=("$build/bench/dom/html_bench" "$file" "$iterations" "$scratch/ours.html")
    peer=(node "$here/peers.mjs" html "$file" "$iterations" "$scratch/peer.html")
else
    echo "usage: $0 css|write FILE [ROUNDS] [ITERATIONS] | html [ROUNDS] [ITERATIONS]" >&2
    exit 2
fi

for ((r = 1; r <= rounds; ++r)); do
    "${ours[@]}" | grep '^RESULT' | sed "s/^/$r /"
    "${peer[@]}" | grep '^RESULT' | sed "s/^/$r /"
done > "$scratch/results"
cat "$scratch/results"

if [ "$mode" = html ]; then
    if cmp -s "$scratch/ours.html" "$scratch/peer.html"; then
        echo "serialised output: identical ($(wc -c < "$scratch/ours.html") bytes)"
    else
        echo "serialised output: DIFFERS"
        diff <(fold -w 120 "$scratch/ours.html") <(fold -w 120 "$scratch/peer.html") | head -20
    fi
fi

python3 - "$scratch/results" <<'PY'
import statistics, sys
rounds = {}
for line in open(sys.argv[1]):
    r, _, name, median, _ = line.split()
    rounds.setdefault(name, {})[int(r)] = float(median)
print("\nmedian over the rounds (ms):")
for name, values in rounds.items():
    print(f"  {name:24} {statistics.median(values.values()):9.3f}")
pairs = [("quillmark-parse", "postcss-parse"), ("quillmark-parse", "parse5-parse"),
         ("quillmark-serialize", "parse5-serialize"), ("quillmark-write-step", "postcss-write")]
for ours, peer in pairs:
    if ours in rounds and peer in rounds:
        ratios = [rounds[peer][r] / rounds[ours][r] for r in rounds[ours] if r in rounds[peer]]
        print(f"  {peer} / {ours}: {statistics.median(ratios):.2f} (median of {len(ratios)} rounds)")
PY
