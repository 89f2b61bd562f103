#!/usr/bin/env bash
# Loading as a user meets it: `tessaly-cli info` on the 2,000-page listing report (about 100 MB)
# next to `cat FILE > /dev/null`, the start-up of a one-page run subtracted; and the peak memory
# of that run, the one-page run's subtracted, next to the file's size.
#   bench/load/cli_load.sh [BIN_DIR] [RUNS]     (BIN_DIR: build/bin, with bench_load and tessaly-cli)
# Prints medians of RUNS rounds (default 21) and the two ratios (goals: at most 2 and 1.1).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="${1:-$ROOT/build/bin}"
RUNS="${2:-21}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then export XDG_RUNTIME_DIR="$WORK/runtime"; mkdir -m 700 "$XDG_RUNTIME_DIR"; fi

"$BIN/bench_load" --write-report "$WORK/big.cvp" 2000
"$BIN/bench_load" --write-report "$WORK/one.cvp" 1

python3 - "$BIN/tessaly-cli" "$WORK/big.cvp" "$WORK/one.cvp" "$RUNS" <<'PY'
import os, statistics, subprocess, sys, time
cli, big, one, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def run(args):
    """Wall seconds and peak resident bytes of one run of a command, its output thrown away."""
    start = time.perf_counter()
    child = subprocess.Popen(args, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    if status != 0: sys.exit(f"{args} failed")
    return time.perf_counter() - start, usage.ru_maxrss * 1024

# The three commands take turns, so that a machine busy now and then slows all of them alike.
commands = {"cat": ["cat", big], "one": [cli, "info", one], "big": [cli, "info", big]}
run(commands["cat"])  # the file into the system's cache
rounds = [{name: run(args) for name, args in commands.items()} for _ in range(runs)]
median = lambda name, i: statistics.median(r[name][i] for r in rounds)
cat, oneTime, bigTime = median("cat", 0), median("one", 0), median("big", 0)
oneMem, bigMem = median("one", 1), median("big", 1)
size = os.path.getsize(big)
print(f"report: {size / 1e6:.1f} MB, 2000 pages")
print(f"cat: {cat * 1000:.0f} ms; info, one page: {oneTime * 1000:.0f} ms; info, 2000 pages: {bigTime * 1000:.0f} ms")
print(f"(info 2000 pages - info one page) / cat = {(bigTime - oneTime) / cat:.2f} (goal: at most 2)")
print(f"peak memory: 2000 pages {bigMem / 2**20:.1f} MB, one page {oneMem / 2**20:.1f} MB; "
      f"(2000 pages - one page) / file = {(bigMem - oneMem) / size:.2f} (goal: at most 1.1)")
PY
