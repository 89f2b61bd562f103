#!/usr/bin/env bash
# Runs one fuzz target, or all of them, for a while:
#   tests/fuzz/run.sh TARGET|all [SECONDS] [libFuzzer options...]
# TARGET is pages, metafile, expr, stringlist, picture, template, template_json, values or prepare; SECONDS defaults to 60 (per target).
# With all, targets run side by side, FUZZ_JOBS at a time (default: one per core, as libFuzzer uses one).
# Builds the clang fuzz build in build/fuzz (FUZZ_BUILD overrides), gathers the target's seeds in
# build/fuzz/seeds/TARGET, keeps what the fuzzer learns in build/fuzz/corpus/TARGET (it grows from
# run to run) and writes findings to build/fuzz/findings/TARGET/. Exits non-zero on a finding.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
TARGET="${1:?usage: tests/fuzz/run.sh pages|metafile|expr|stringlist|picture|template|template_json|values|prepare|all [SECONDS] [options...]}"
SECONDS_PER_TARGET="${2:-60}"
shift $(( $# >= 2 ? 2 : 1 ))
BUILD="${FUZZ_BUILD:-$ROOT/build/fuzz}"
# The real metafiles kept with the tests.
FIXTURES="$ROOT/tests/data/emf"
ALL=(pages metafile expr stringlist picture template template_json values prepare)

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"; chmod 700 "$XDG_RUNTIME_DIR"; export XDG_RUNTIME_DIR
fi
# Fontconfig's caches outlive the fuzzer by design; nothing of ours is suppressed.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

make_seeds() {
  local target="$1" dir="$BUILD/seeds/$1" f
  rm -rf "$dir"; mkdir -p "$dir"
  local cvps=("$ROOT"/resources/EMPTYREPORT.cvp "$ROOT"/examples/*.cvp)
  local emfs=()
  [ -d "$FIXTURES" ] && emfs+=("$FIXTURES"/*.emf) || echo "No metafile fixtures in $FIXTURES: seeding without them" >&2
  shopt -s nullglob
  case "$target" in
    pages | metafile)
      "$BUILD/bin/fuzz_seeds" "$target" "$dir" "${cvps[@]}" "${emfs[@]}" ;;
    expr | stringlist | picture | values)
      cp "$ROOT/tests/fuzz/corpus/$target"/* "$dir/" ;;
    template | prepare)
      # The tests' templates and whatever sample templates the build made.
      cp "$ROOT/tests/fuzz/corpus/template"/* "$dir/"
      for f in "$ROOT"/examples/*.cvf; do cp "$f" "$dir/"; done ;;
    template_json)
      # The tests' templates in their JSON form and the sources of the example templates.
      cp "$ROOT/tests/fuzz/corpus/template_json"/* "$dir/"
      for f in "$ROOT"/examples/*.json; do cp "$f" "$dir/"; done ;;
  esac
  # Past findings (tests/data/fuzz/TARGET-*) stay in the seeds.
  for f in "$ROOT/tests/data/fuzz/$target"-*; do cp "$f" "$dir/"; done
  shopt -u nullglob
}

run_target() {
  local target="$1" extra=()
  shift
  [ "$target" = expr ] && extra+=(-dict="$ROOT/tests/fuzz/expr.dict")
  [ "$target" = template_json ] && extra+=(-dict="$ROOT/tests/fuzz/template_json.dict")
  # libpng and FreeType complain on stderr about every broken picture and glyph.
  case "$target" in metafile | picture) extra+=(-close_fd_mask=2) ;; esac
  # About one template in twenty runs into the one-second limit, and its mutants mostly do too:
  # chosen as often as the rest, they took nine tenths of the time. Slow inputs are picked less.
  [ "$target" = prepare ] && extra+=(-entropic_scale_per_exec_time=1)
  mkdir -p "$BUILD/corpus/$target" "$BUILD/findings/$target" "$BUILD/logs"
  echo "== fuzz_$target: $SECONDS_PER_TARGET s" | tee "$BUILD/logs/$target.log"
  make_seeds "$target"
  set +e
  "$BUILD/bin/fuzz_$target" "$BUILD/corpus/$target" "$BUILD/seeds/$target" \
    -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=64 \
    -print_final_stats=1 -artifact_prefix="$BUILD/findings/$target/" "${extra[@]}" "$@" 2>&1 |
    grep --line-buffered -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE) |# Uses: [0-9]+$' | tee -a "$BUILD/logs/$target.log"
  local rc=${PIPESTATUS[0]}
  set -e
  # libFuzzer's exit code after SIGINT (its statistics are printed): stopped, not a finding.
  if [ "$rc" -eq 72 ]; then echo "fuzz_$target: interrupted" | tee -a "$BUILD/logs/$target.log"; return 0; fi
  return "$rc"
}

targets=("$TARGET")
[ "$TARGET" = all ] && targets=("${ALL[@]}")
build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
build_targets+=(fuzz_seeds)
CC=clang CXX=clang++ "$ROOT/scripts/build.sh" "$BUILD" RelWithDebInfo "${build_targets[@]}" \
  -- -DTESSALY_FUZZ=ON -DTESSALY_BENCH=OFF
# What a finding was, repeated after the last target: a log's tail then still shows it.
finding_summary() {
  echo "fuzz_$1: FINDING, see $BUILD/findings/$1/ (whole output: $BUILD/logs/$1.log)"
  { grep -E '^==[0-9]+==|ERROR|SUMMARY|runtime error|^ *#[0-9]+ 0x|Test unit written|^artifact_prefix|^Base64' \
      "$BUILD/logs/$1.log" 2>/dev/null || true; } | head -n 40
}
passed=0 failed=0 found=()
count_result() {
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); found+=("$1"); finding_summary "$1"; fi
}
# A batch runs side by side, each target's output going to its log; the logs are then shown
# whole, one after the other, so that no two targets' lines interleave.
run_batch() {
  local t i rc pids=()
  if [ "${#batch[@]}" -eq 1 ]; then
    rc=0; run_target "${batch[0]}" "$@" || rc=$?
    count_result "${batch[0]}" "$rc"
    return
  fi
  for t in "${batch[@]}"; do run_target "$t" "$@" >/dev/null & pids+=($!); done
  for i in "${!batch[@]}"; do
    rc=0; wait "${pids[$i]}" || rc=$?
    cat "$BUILD/logs/${batch[$i]}.log" 2>/dev/null || echo "fuzz_${batch[$i]}: did not start"
    count_result "${batch[$i]}" "$rc"
  done
}
JOBS="${FUZZ_JOBS:-$(nproc)}"
[ "$JOBS" -ge 1 ] 2>/dev/null || JOBS=1
for ((first = 0; first < ${#targets[@]}; first += JOBS)); do
  batch=("${targets[@]:first:JOBS}")
  run_batch "$@"
done
for t in "${found[@]}"; do finding_summary "$t"; done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
