#!/usr/bin/env bash
# Builds Tessaly with AddressSanitizer and UndefinedBehaviorSanitizer into build/asan and runs every
# test under them: scripts/test-sanitize.sh [ctest args]. Any report fails the test that caused it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/build.sh" "$ROOT/build/asan" Debug -- -DTESSALY_SANITIZE=ON -DTESSALY_BENCH=OFF
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"; chmod 700 "$XDG_RUNTIME_DIR"; export XDG_RUNTIME_DIR
fi
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
# Only libraries outside Tessaly are suppressed (see the file).
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$ROOT/build/asan"
exec ctest --output-on-failure -j "$(nproc)" "$@"
