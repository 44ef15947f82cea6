#!/bin/bash
# Configures and builds one tree: scripts/build.sh <build-dir> [cmake options...]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:?build folder}
shift
cmake -S "$ROOT" -B "$BUILD" -G Ninja "$@" >/dev/null
cmake --build "$BUILD" -- -j"$(nproc)"
