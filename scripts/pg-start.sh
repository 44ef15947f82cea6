#!/bin/sh
# Starts a throwaway PostgreSQL 15 cluster for the database tests and the
# benchmark: data in a new temporary folder, listening on 127.0.0.1 only,
# role "vetch", database "vetchdb" (UTF8) filled from pg-schema.sql.
#
#   scripts/pg-start.sh <folder>      writes <folder>/pg.env and prints it
#   . <folder>/pg.env                 exports VETCH_PG_* for the tests
#   scripts/pg-stop.sh <folder>       stops the server and removes its data
#
# The port is $PGPORT (default 54329), or the next free one when that is taken.
# Works as root (the server then runs as the "postgres" user) and as an
# ordinary user (the server runs as that user).
set -eu

usage() { echo "usage: $0 <folder>" >&2; exit 2; }
[ $# -eq 1 ] || usage
OUT=$1
SCRIPTS=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/server-common.sh
. "$SCRIPTS/server-common.sh"
PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
[ -x "$PGBIN/initdb" ] || { echo "$0: no PostgreSQL 15 server binaries in $PGBIN" >&2; exit 1; }

mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
if [ -f "$OUT/pg.env" ]; then
    echo "$0: $OUT/pg.env exists: a server from an earlier start may still run;" \
         "stop it with scripts/pg-stop.sh $OUT first" >&2
    exit 1
fi

if [ "$(id -u)" -eq 0 ]; then
    as_server() { runuser -u postgres -- "$@"; }
else
    as_server() { "$@"; }
fi

port_taken() {
    ss -Htln "sport = :$1" 2>/dev/null | grep -q . && return 0
    [ -e "/tmp/.s.PGSQL.$1" ] && return 0
    return 1
}

PORT=$(free_port "${PGPORT:-54329}" port_taken)

PGDIR=$(mktemp -d /tmp/vetchpg.XXXXXX)
chmod 700 "$PGDIR"
[ "$(id -u)" -eq 0 ] && chown postgres:postgres "$PGDIR"

fail() {
    echo "$0: $1" >&2
    print_logs "$PGDIR/initdb.log" "$PGDIR/server.log" "$PGDIR/setup.log"
    as_server "$PGBIN/pg_ctl" -D "$PGDIR/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$PGDIR"
    exit 1
}

PASSWORD=$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')
# A second login whose password needs quoting in an ODBC connection string.
QUOTED_PASSWORD='p;w{x}}=y '

as_server "$PGBIN/initdb" -D "$PGDIR/data" -U postgres -E UTF8 --locale=C.UTF-8 \
    --auth-local=trust --auth-host=scram-sha-256 >"$PGDIR/initdb.log" 2>&1 \
    || fail "initdb failed"

as_server "$PGBIN/pg_ctl" -D "$PGDIR/data" -l "$PGDIR/server.log" -w -t 30 \
    -o "-p $PORT -k $PGDIR -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off" \
    start >/dev/null 2>&1 || fail "the server did not come up on 127.0.0.1:$PORT"

psql_admin() {
    as_server psql -X -q -v ON_ERROR_STOP=1 -h "$PGDIR" -p "$PORT" -U postgres "$@"
}

# Passwords go in as psql variables so that no quoting of ours is involved.
psql_admin -d postgres -v pw="$PASSWORD" -v qpw="$QUOTED_PASSWORD" >"$PGDIR/setup.log" 2>&1 <<'EOF' \
    || fail "creating the role and the database failed"
CREATE ROLE vetch LOGIN PASSWORD :'pw';
CREATE ROLE vetch_quoted LOGIN PASSWORD :'qpw';
-- Logins whose user names hold '=', '}' or '{' and whose passwords hold
-- ';', braces, '=' and spaces at their edges, for the connection-string
-- tests; tests/support/odbc_env.cpp lists the same pairs.
CREATE ROLE "h3=eq" LOGIN PASSWORD ' a;b ';
CREATE ROLE "h3}br" LOGIN PASSWORD '{open';
CREATE ROLE "h3{br" LOGIN PASSWORD 'close}=';
CREATE DATABASE vetchdb OWNER vetch ENCODING 'UTF8' TEMPLATE template0;
EOF
psql_admin -d vetchdb -c "GRANT CREATE ON DATABASE vetchdb TO vetch_quoted" >>"$PGDIR/setup.log" 2>&1 \
    || fail "granting rights failed"
# The schema is created by its owner, so the tests may change it.
as_server psql -X -q -v ON_ERROR_STOP=1 -h "$PGDIR" -p "$PORT" -U vetch -d vetchdb \
    -f - <"$SCRIPTS/pg-schema.sql" >>"$PGDIR/setup.log" 2>&1 \
    || fail "loading pg-schema.sql failed"

# Single quotes keep ';', braces and the trailing space of the values.
cat >"$OUT/pg.env" <<EOF
export VETCH_PG_DIR='$PGDIR'
export VETCH_PG_HOST='127.0.0.1'
export VETCH_PG_PORT='$PORT'
export VETCH_PG_DATABASE='vetchdb'
export VETCH_PG_USER='vetch'
export VETCH_PG_PASSWORD='$PASSWORD'
export VETCH_PG_QUOTED_USER='vetch_quoted'
export VETCH_PG_QUOTED_PASSWORD='$QUOTED_PASSWORD'
EOF
chmod 600 "$OUT/pg.env"
cat "$OUT/pg.env"
