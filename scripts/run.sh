#!/bin/bash
# Installs what vetch needs, builds it, prepares the demo data source
# "vetch-sample" and starts the program in the run/ folder, whose vetch.ini
# proposes that data source: press OK in the connect dialog and you are in.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

bash "$ROOT/scripts/install-deps.sh"
bash "$ROOT/scripts/build.sh" "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVETCH_BENCH=OFF
mkdir -p "$ROOT/run"
bash "$ROOT/scripts/demo-datasource.sh" "$ROOT/run"

cd "$ROOT/run"
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
  export XDG_RUNTIME_DIR="/tmp/vetch-runtime-$(id -u)"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$ROOT/build/vetch"
fi
SCREEN=99
while [[ -e /tmp/.X$SCREEN-lock ]]; do SCREEN=$((SCREEN + 1)); done
echo "No display found: starting vetch under xvfb-run on the virtual screen :$SCREEN."
echo "Take a look from another terminal with:"
echo "  XAUTHORITY=$ROOT/run/.Xauthority import -display :$SCREEN -window root shot.png"
exec xvfb-run -n "$SCREEN" -f "$ROOT/run/.Xauthority" -s "-screen 0 1280x800x24" "$ROOT/build/vetch"
