#!/bin/bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each one for the given number of
# seconds over its seed corpus fuzz/corpus/<target>:
#   bash scripts/fuzz.sh [seconds-per-target]      (default 60)
# Inputs found along the way collect in build-fuzz/corpus/<target>; an input
# that fails a target is kept as build-fuzz/crashes/<target>-crash-<hash>, and
# running the target on that file alone replays it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${1:-60}
[[ $SECONDS_EACH =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [seconds-per-target]" >&2; exit 2; }
BUILD=$ROOT/build-fuzz

bash "$ROOT/scripts/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S "$ROOT/fuzz" -B "$BUILD" -G Ninja "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -- -j"$(nproc)" >/dev/null

# Targets that go through files work in a scratch folder in memory.
SCRATCH=$(mktemp -d /dev/shm/vetch-fuzz-run.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$BUILD/crashes" "$BUILD/logs"

passed=0
failed=0
for seeds in "$ROOT"/fuzz/corpus/*/; do
  target=$(basename "$seeds")
  [[ -x $BUILD/$target ]] || { echo "$target: not built" >&2; failed=$((failed + 1)); continue; }
  mkdir -p "$BUILD/corpus/$target"
  log=$BUILD/logs/$target.log
  if TMPDIR=$SCRATCH nice -n 19 "$BUILD/$target" -max_total_time="$SECONDS_EACH" -timeout=25 \
       -rss_limit_mb=2048 -dict="$ROOT/fuzz/vetch.dict" -artifact_prefix="$BUILD/crashes/$target-" \
       "$BUILD/corpus/$target" "$seeds" >"$log" 2>&1; then
    echo "$target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" || echo done), no failure"
    passed=$((passed + 1))
  else
    echo "$target: FAILED; the end of $log:" >&2
    tail -n 40 "$log" >&2
    failed=$((failed + 1))
  fi
done
if ((failed == 0)); then
  echo "fuzz: all $passed targets ran ${SECONDS_EACH} s each without a failure"
else
  echo "fuzz: $failed of $((passed + failed)) targets failed" >&2
  exit 1
fi
