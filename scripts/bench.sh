#!/bin/bash
# Builds the benchmark programs (Release) and runs them all, with a throwaway
# PostgreSQL server for the database benchmarks. Each prints its figures and a
# PASS/FAIL line against each target; a summary of them all ends the run.
# With VETCH_BENCH_LARGE=1 the query result window runs once more on
# 1,000,000 rows and the database information window on 50,000 tables
# (together some twenty minutes more).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

bash "$ROOT/scripts/install-deps.sh"
bash "$ROOT/scripts/build.sh" "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release -DVETCH_BENCH=ON

PGWORK=$(mktemp -d /tmp/vetch-pgbench.XXXXXX)
trap 'bash "$ROOT/scripts/pg-stop.sh" "$PGWORK" >/dev/null 2>&1 || true; rm -rf "$PGWORK"' EXIT
if bash "$ROOT/scripts/pg-start.sh" "$PGWORK" >/dev/null; then
  # shellcheck disable=SC1091
  source "$PGWORK/pg.env"
else
  echo "PostgreSQL did not start: the database benchmarks run on SQLite only" >&2
fi

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/vetch-xdg.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"
# Every benchmark runs, whatever the one before it found; the summary at the
# end repeats every PASS and FAIL line, and the exit status is 1 when any
# target was missed or any benchmark did not finish.
LOGS=$(mktemp -d /tmp/vetch-benchlogs.XXXXXX)
trap 'bash "$ROOT/scripts/pg-stop.sh" "$PGWORK" >/dev/null 2>&1 || true; rm -rf "$PGWORK" "$LOGS"' EXIT
status=0
summary=()
# run_bench <program> <name in the summary> [arguments...]
run_bench() {
  local bench=$1 name=$2 code failed line
  shift 2
  echo "== $name =="
  set +e
  "$bench" "$@" 2>&1 | tee "$LOGS/$name.log"
  code=${PIPESTATUS[0]}
  set -e
  failed=0
  while IFS= read -r line; do
    summary+=("$(printf '%-22s %s' "$name" "$line")")
    if [[ $line =~ FAIL[[:space:]]*$ ]]; then failed=1; fi
  done < <(grep -E '(PASS|FAIL)[[:space:]]*$' "$LOGS/$name.log" || true)
  if [[ $code -ne 0 && $failed -eq 0 ]]; then
    summary+=("$(printf '%-22s exited with status %d, no result line  FAIL' "$name" "$code")")
    failed=1
  fi
  if [[ $failed -ne 0 ]]; then status=1; fi
}
LARGE=${VETCH_BENCH_LARGE:-}
export VETCH_BENCH_LARGE=
for bench in "$ROOT"/build-bench/bench/*_bench; do
  run_bench "$bench" "$(basename "$bench")" "$@"
done
if [[ $LARGE == 1 ]]; then
  export VETCH_BENCH_LARGE=1
  for name in query_result_bench db_info_bench; do
    run_bench "$ROOT/build-bench/bench/$name" "$name-large" "$@"
  done
fi

echo
echo "== summary =="
printf '%s\n' "${summary[@]}"
if [[ $status -eq 0 ]]; then echo "all targets met"; else echo "some targets missed"; fi
exit $status
