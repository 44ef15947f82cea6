#!/bin/sh
# Stops the PostgreSQL cluster that pg-start.sh started for <folder> and
# removes its data folder and <folder>/pg.env.
set -eu

[ $# -eq 1 ] || { echo "usage: $0 <folder>" >&2; exit 2; }
ENV_FILE=$1/pg.env
PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
if [ ! -f "$ENV_FILE" ]; then
    echo "$0: no $ENV_FILE: nothing to stop" >&2
    exit 0
fi
# Only the data folder is needed; read it without sourcing the whole file.
PGDIR=$(sed -n "s/^export VETCH_PG_DIR='\(.*\)'\$/\1/p" "$ENV_FILE")
case $PGDIR in
    /tmp/vetchpg.*) ;;
    *) echo "$0: $ENV_FILE names no data folder of pg-start.sh: '$PGDIR'" >&2; exit 1 ;;
esac

if [ -d "$PGDIR/data" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$PGBIN/pg_ctl" -D "$PGDIR/data" -m fast -w -t 30 stop >/dev/null 2>&1 || true
    else
        "$PGBIN/pg_ctl" -D "$PGDIR/data" -m fast -w -t 30 stop >/dev/null 2>&1 || true
    fi
fi
rm -rf "$PGDIR"
rm -f "$ENV_FILE"
echo "stopped and removed $PGDIR"
