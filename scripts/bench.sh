#!/bin/bash
# Builds the benchmark programs (Release) and runs them all, with a throwaway
# PostgreSQL server for the database benchmarks. Each prints its figures and a
# PASS/FAIL summary against its target.
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
for bench in "$ROOT"/build-bench/bench/*_bench; do
  echo "== $(basename "$bench") =="
  "$bench" "$@"
done
