#!/usr/bin/env bash
# prepare-many over 1,000 one-page invoices of the invoice example, against N single
# `tessaly-cli prepare` runs of one invoice each: invoices per second and the share of process
# start-up in a single run.
#   bench/prepare/prepare_many.sh [BIN_DIR] [INVOICES] [SINGLE_RUNS]
# BIN_DIR defaults to build/bin (./run.sh's Release build; the build makes examples/invoice.*).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="${1:-$ROOT/build/bin}"
COUNT="${2:-1000}"
SINGLE="${3:-30}"
export QT_QPA_PLATFORM=offscreen
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }

"$BIN/make_bench_invoices" "$ROOT/examples/invoice.sqlite" "$WORK/fatture.sqlite" "$COUNT"
"$BIN/make_bench_invoices" "$ROOT/examples/invoice.sqlite" "$WORK/una.sqlite" 1
cp "$ROOT/examples/invoice.cvf" "$WORK/fatture.cvf"
cp "$ROOT/examples/invoice.cvf" "$WORK/una.cvf"

start=$(now)
"$BIN/tessaly-cli" prepare-many "$WORK/fatture.cvf" --quiet -o "$WORK/out" \
  --each "SELECT printf('fattura-%05d', id) AS file, id AS invoice_id FROM invoices ORDER BY id" >"$WORK/summary"
many=$(calc "$(now) - $start")
written=$(ls "$WORK/out" | wc -l)
pages=$("$BIN/tessaly-cli" info "$WORK/out/fattura-00001.cvp" | grep -c '^page ' || true)

start=$(now)
for _ in $(seq "$SINGLE"); do "$BIN/tessaly-cli" prepare "$WORK/una.cvf" --quiet -o "$WORK/una.cvp" >/dev/null; done
single=$(calc "($(now) - $start) / $SINGLE")

per=$(calc "$many / $written")
printf 'prepare-many: %s (%d files, %s page(s) in the first) in %.2f s: %.0f invoices/s (goal 200)\n' \
  "$(cat "$WORK/summary")" "$written" "$pages" "$many" "$(calc "$written / $many")"
printf 'prepare, one invoice per run: %.1f ms a run (%d runs)\n' "$(calc "$single * 1000")" "$SINGLE"
printf 'start-up share of a single run: %.0f %% (%.1f ms of %.1f ms; an invoice itself takes %.1f ms)\n' \
  "$(calc "100 * ($single - $per) / $single")" "$(calc "($single - $per) * 1000")" \
  "$(calc "$single * 1000")" "$(calc "$per * 1000")"
printf 'single runs / prepare-many, per invoice: %.1f\n' "$(calc "$single / $per")"
