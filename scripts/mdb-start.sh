#!/bin/sh
# Starts a throwaway MariaDB server for the database tests: data in a new
# temporary folder, listening on 127.0.0.1 only, user "vetch" (password
# "vetchpw"), database "vetchdb" (utf8mb4).
#
#   scripts/mdb-start.sh <folder>     writes <folder>/mdb.env and prints it
#   . <folder>/mdb.env                exports VETCH_MDB_* for the tests
#   scripts/mdb-stop.sh <folder>      stops the server and removes its data
#
# The port is $MDBPORT (default 3391), or the next free one when that is taken.
# Works as root (the server then runs as root) and as an ordinary user.
set -eu

usage() { echo "usage: $0 <folder>" >&2; exit 2; }
[ $# -eq 1 ] || usage
OUT=$1
SCRIPTS=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/server-common.sh
. "$SCRIPTS/server-common.sh"
MDBD=${MDBD:-/usr/sbin/mariadbd}
[ -x "$MDBD" ] || { echo "$0: no MariaDB server at $MDBD (install mariadb-server)" >&2; exit 1; }

mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
if [ -f "$OUT/mdb.env" ]; then
    echo "$0: $OUT/mdb.env exists: a server from an earlier start may still run;" \
         "stop it with scripts/mdb-stop.sh $OUT first" >&2
    exit 1
fi

port_taken() { ss -Htln "sport = :$1" 2>/dev/null | grep -q .; }

PORT=$(free_port "${MDBPORT:-3391}" port_taken)

MDBDIR=$(mktemp -d /tmp/vetchmdb.XXXXXX)
chmod 700 "$MDBDIR"
SOCKET=$MDBDIR/mdb.sock

# mariadbd refuses to run as root unless told to.
USER_ARG=""
[ "$(id -u)" -eq 0 ] && USER_ARG="--user=root"

admin() { mariadb-admin --no-defaults --socket="$SOCKET" -uroot "$@"; }

fail() {
    echo "$0: $1" >&2
    print_logs "$MDBDIR/install.log" "$MDBDIR/err.log" "$MDBDIR/setup.log"
    if [ -f "$MDBDIR/mdb.pid" ]; then
        kill -9 "$(cat "$MDBDIR/mdb.pid")" 2>/dev/null || true
    fi
    rm -rf "$MDBDIR"
    exit 1
}

# shellcheck disable=SC2086
mariadb-install-db --no-defaults $USER_ARG --datadir="$MDBDIR/data" \
    --auth-root-authentication-method=normal >"$MDBDIR/install.log" 2>&1 \
    || fail "mariadb-install-db failed"

# The data is thrown away at the end, so nothing waits for the disk.
# shellcheck disable=SC2086
nohup "$MDBD" --no-defaults --datadir="$MDBDIR/data" --port="$PORT" --bind-address=127.0.0.1 \
    --socket="$SOCKET" --pid-file="$MDBDIR/mdb.pid" $USER_ARG --skip-name-resolve \
    --character-set-server=utf8mb4 --skip-log-bin --log-error="$MDBDIR/err.log" \
    --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 --innodb-buffer-pool-size=64M \
    </dev/null >/dev/null 2>&1 &

tries=0
until admin ping >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -lt 300 ] || fail "the server did not come up on 127.0.0.1:$PORT"
    sleep 0.1
done

mariadb --no-defaults --socket="$SOCKET" -uroot >"$MDBDIR/setup.log" 2>&1 <<'EOF' \
    || fail "creating the user and the database failed"
CREATE DATABASE vetchdb CHARACTER SET utf8mb4;
CREATE USER 'vetch'@'127.0.0.1' IDENTIFIED BY 'vetchpw';
GRANT ALL ON vetchdb.* TO 'vetch'@'127.0.0.1';
EOF

cat >"$OUT/mdb.env" <<EOF
export VETCH_MDB_DIR='$MDBDIR'
export VETCH_MDB_HOST='127.0.0.1'
export VETCH_MDB_PORT='$PORT'
export VETCH_MDB_DATABASE='vetchdb'
export VETCH_MDB_USER='vetch'
export VETCH_MDB_PASSWORD='vetchpw'
EOF
chmod 600 "$OUT/mdb.env"
cat "$OUT/mdb.env"
