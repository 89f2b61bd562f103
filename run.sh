#!/usr/bin/env bash
# Builds Tessaly (Release, incrementally) and starts the viewer: ./run.sh [report.cvp]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" "$ROOT/build" Release tessaly demo_database example_reports >&2
exec "$ROOT/build/bin/tessaly" "$@"
