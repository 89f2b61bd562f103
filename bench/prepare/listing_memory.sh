#!/usr/bin/env bash
# The memory of a listing over 10,000, 100,000 and 1,000,000 rows of a SQLite table: the peak
# resident memory of each run, less that of a one-row run, next to the bytes of the prepared
# pages it made. What is left beyond the pages, per row, should stay near zero as the rows grow:
# memory follows the pages, not the rows read.
#   bench/prepare/listing_memory.sh [BIN_DIR]    (BIN_DIR: build/release/bin, with bench_listing_memory)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="${1:-$ROOT/build/release/bin}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then export XDG_RUNTIME_DIR="$WORK/runtime"; mkdir -m 700 "$XDG_RUNTIME_DIR"; fi

for rows in 1 10000 100000 1000000; do "$BIN/bench_listing_memory" --make "$WORK/$rows.sqlite" "$rows"; done

python3 - "$BIN/bench_listing_memory" "$WORK" <<'PY'
import os, subprocess, sys
bench, work = sys.argv[1], sys.argv[2]

def run(rows):
    """Pages, their bytes and the peak resident bytes of one run."""
    child = subprocess.Popen([bench, f"{work}/{rows}.sqlite"], stdout=subprocess.PIPE, text=True)
    out = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    if status != 0: sys.exit(f"run over {rows} rows failed")
    words = out.split()
    return int(words[1]), int(words[3]), usage.ru_maxrss * 1024

_, _, base = run(1)
print(f"{'rows':>9} {'pages':>7} {'pages MB':>9} {'peak MB':>8} {'beyond pages MB':>16} {'bytes/row beyond':>17}")
for rows in (10000, 100000, 1000000):
    pages, drawings, peak = run(rows)
    beyond = peak - base - drawings
    print(f"{rows:>9} {pages:>7} {drawings / 1e6:>9.1f} {(peak - base) / 1e6:>8.1f} {beyond / 1e6:>16.1f} {beyond / rows:>17.1f}")
PY
