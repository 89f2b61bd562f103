#!/usr/bin/env bash
# Builds Tessaly (Debug, incrementally) and runs every test with CTest: ./test.sh [ctest args]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" "$ROOT/build/debug" Debug
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"; chmod 700 "$XDG_RUNTIME_DIR"; export XDG_RUNTIME_DIR
fi
cd "$ROOT/build/debug"
exec ctest --output-on-failure -j "$(nproc)" "$@"
