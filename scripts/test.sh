#!/bin/bash
# Installs what vetch needs, starts throwaway PostgreSQL and MariaDB servers,
# builds the program three times and runs the tests in each: a normal build
# and one with AddressSanitizer and UndefinedBehaviorSanitizer run the whole suite; one
# with ThreadSanitizer runs the tests where threads meet (ctest label
# "threads": the shared connection, the stop, the worker hand-over).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

bash "$ROOT/scripts/install-deps.sh"

DBWORK=$(mktemp -d /tmp/vetch-dbtest.XXXXXX)
cleanup() {
  bash "$ROOT/scripts/pg-stop.sh" "$DBWORK" >/dev/null 2>&1 || true
  bash "$ROOT/scripts/mdb-stop.sh" "$DBWORK" >/dev/null 2>&1 || true
  rm -rf "$DBWORK"
}
trap cleanup EXIT
# start_server <name> <script> <env file>
start_server() {
  if bash "$ROOT/scripts/$2" "$DBWORK"; then
    # shellcheck disable=SC1090
    source "$DBWORK/$3"
  elif [[ "${CI:-}" == "true" ]]; then
    echo "$1 did not start; the database tests cannot run" >&2
    exit 1
  else
    echo "$1 did not start; its tests will be skipped" >&2
  fi
}
start_server PostgreSQL pg-start.sh pg.env
start_server MariaDB mdb-start.sh mdb.env

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/vetch-xdg.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"

status=0
# Each fuzz target for 30 s (scripts/fuzz.sh 600 is the long run).
bash "$ROOT/scripts/fuzz.sh" 30 || status=1

for config in normal asan tsan; do
  selection=()
  case $config in
  normal)
    BUILD="$ROOT/build"
    bash "$ROOT/scripts/build.sh" "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVETCH_SANITIZE=OFF -DVETCH_BENCH=ON
    ;;
  asan)
    BUILD="$ROOT/build-asan"
    bash "$ROOT/scripts/build.sh" "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DVETCH_SANITIZE=ON -DVETCH_BENCH=OFF
    ;;
  tsan)
    BUILD="$ROOT/build-tsan"
    bash "$ROOT/scripts/build.sh" "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVETCH_SANITIZE=thread -DVETCH_BENCH=OFF
    selection=(-L threads)
    ;;
  esac
  echo "== tests: $config build =="
  (cd "$BUILD" && ctest --output-on-failure "${selection[@]}") || status=1
done
exit $status
