#!/bin/sh
# Stops the MariaDB server that mdb-start.sh started for <folder> and removes
# its data folder and <folder>/mdb.env.
set -eu

[ $# -eq 1 ] || { echo "usage: $0 <folder>" >&2; exit 2; }
ENV_FILE=$1/mdb.env
if [ ! -f "$ENV_FILE" ]; then
    echo "$0: no $ENV_FILE: nothing to stop" >&2
    exit 0
fi
# Only the data folder is needed; read it without sourcing the whole file.
MDBDIR=$(sed -n "s/^export VETCH_MDB_DIR='\(.*\)'\$/\1/p" "$ENV_FILE")
case $MDBDIR in
    /tmp/vetchmdb.*) ;;
    *) echo "$0: $ENV_FILE names no data folder of mdb-start.sh: '$MDBDIR'" >&2; exit 1 ;;
esac

if [ -f "$MDBDIR/mdb.pid" ]; then
    PID=$(cat "$MDBDIR/mdb.pid")
    mariadb-admin --no-defaults --socket="$MDBDIR/mdb.sock" -uroot shutdown >/dev/null 2>&1 \
        || kill "$PID" 2>/dev/null || true
    # The server removes its pid file when it has shut down.
    tries=0
    while kill -0 "$PID" 2>/dev/null && [ $tries -lt 300 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    kill -9 "$PID" 2>/dev/null || true
fi
rm -rf "$MDBDIR"
rm -f "$ENV_FILE"
echo "stopped and removed $MDBDIR"
