#!/bin/bash
# Configures and builds one tree: scripts/build.sh <build-dir> [cmake options...]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:?build folder}
shift
# With ccache, a rebuild of unchanged sources (the three test builds share
# most of them with earlier runs) takes seconds; paths are hashed relative to
# the checkout, so another clone of the same sources hits the same entries.
LAUNCHER=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$ROOT" -B "$BUILD" -G Ninja "${LAUNCHER[@]}" "$@" >/dev/null
cmake --build "$BUILD" -- -j"$(nproc)"
