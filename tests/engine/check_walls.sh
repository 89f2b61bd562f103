#!/usr/bin/env bash
# The walls between the engine's folders, checked on the sources: each rule names what a folder may
# not include. Run by CTest; prints every include that breaks a rule and fails when there is one.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$ROOT"
failed=0

# rule NAME FILES... -- PATTERN: no line of FILES may include a header matching PATTERN.
rule() {
  local name="$1"; shift
  local files=()
  while [ "$1" != "--" ]; do files+=("$1"); shift; done
  shift
  local found
  found="$(grep -nE "^#include \"($1)" "${files[@]}" 2>/dev/null || true)"
  if [ -n "$found" ]; then
    echo "$name:"; echo "$found"; failed=1
  fi
}

sources() { find "$@" -name '*.cpp' -o -name '*.h' | sort; }
mapfile -t EXPR < <(sources engine/expr)
mapfile -t MODEL < <(sources engine/model)
mapfile -t DATA < <(sources engine/data)
mapfile -t CORE < <(sources engine/expr engine/model engine/data engine/prepare engine/report)
mapfile -t OUTSIDE < <(sources app cli engine/ui engine/expr engine/model engine/data bench examples tests \
                        | grep -v '^tests/engine/prepare/' | grep -v '^tests/fuzz/FuzzPrepare')
mapfile -t PLATFORM < <(sources platform)
FACE='engine/report/(CV_Report|EngineState|CV_Messages|EngineWindows|CV_Component|CV_Pages|CV_Prntr)\.h'

rule "N1 engine/expr includes no other engine folder" "${EXPR[@]}" -- 'engine/(report|model|data|prepare|ui)/'
rule "N2 engine/model includes neither engine/data nor engine/prepare" "${MODEL[@]}" -- 'engine/(data|prepare)/'
rule "N3 engine/data includes no engine/prepare" "${DATA[@]}" -- 'engine/prepare/'
rule "N5 only engine/prepare, engine/report and the tests of prepare include engine/prepare" "${OUTSIDE[@]}" -- 'engine/prepare/'
rule "N8 the core includes no engine/ui" "${CORE[@]}" -- 'engine/ui/'
rule "N8 platform includes no engine" "${PLATFORM[@]}" -- 'engine/'

# Model, data and prepare include only the component's face of engine/report.
face="$(grep -nE '^#include "engine/report/' $(sources engine/model engine/data engine/prepare) | grep -vE "\"$FACE\"" || true)"
if [ -n "$face" ]; then echo "model, data and prepare include only the face of engine/report:"; echo "$face"; failed=1; fi

# N6: the engine-wide state declares none of the variables of one preparation.
perprep='CurrentReport|CurrentPage|CurrentBand|CurrentObject|AggregateBand|AggregatesSuspended|FirstPass|PreparedIndex|ErrorPageNo|TotalPages|ReportDate|ReportTime|CurrentValue|MaxMeasuredBottom|PageOrder|PreparationError|CurPageCanvas'
state="$(grep -nwE "$perprep" engine/report/EngineState.h || true)"
if [ -n "$state" ]; then echo "N6 EngineState.h declares a variable of one preparation:"; echo "$state"; failed=1; fi

# N7: every member of TcvReport is defined in engine/report.
members="$(grep -nE '^[A-Za-z].*\bTcvReport::[A-Za-z~]+\(' $(sources engine app cli) | grep -v '^engine/report/' || true)"
if [ -n "$members" ]; then echo "N7 TcvReport members defined outside engine/report:"; echo "$members"; failed=1; fi

[ "$failed" = 0 ] && echo "the engine's walls stand"
exit "$failed"
