#!/usr/bin/env bash
# scripts/build.sh BUILD_DIR BUILD_TYPE [TARGET...] [-- extra cmake options]
# Configures once, then builds incrementally.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DIR="$1"; TYPE="$2"; shift 2
TARGETS=(); EXTRA=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--" ]; then shift; EXTRA=("$@"); break; fi
  TARGETS+=("$1"); shift
done
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
if [ ! -f "$DIR/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE="$TYPE" "${EXTRA[@]}"
fi
ARGS=()
for t in "${TARGETS[@]}"; do ARGS+=(--target "$t"); done
cmake --build "$DIR" --parallel "$(nproc)" "${ARGS[@]}"
