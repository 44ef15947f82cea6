#!/bin/sh
# Sets up the demo data source for a first start of vetch:
#   - <runfolder>/sample.db, a SQLite database made from sample-db.sql (only
#     when it does not exist yet: an existing one is kept with its changes);
#   - the user data source "vetch-sample" in ~/.odbc.ini, or in $ODBCINI when
#     that is set (that section is created or replaced; every other line of
#     the file is left as it is);
#   - <runfolder>/vetch.ini proposing "vetch-sample" in the connect dialog,
#     only when vetch.ini does not exist yet.
# Running it again changes nothing that is already in place.
#
#   scripts/demo-datasource.sh <runfolder>
set -eu

[ $# -eq 1 ] || { echo "usage: $0 <runfolder>" >&2; exit 2; }
SCRIPTS=$(cd "$(dirname "$0")" && pwd)
DSN=vetch-sample
# The library itself, not a driver name: the system's odbcinst.ini entry
# [SQLite] points at a library that does not exist.
DRIVER=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so

fail() { echo "$0: $*" >&2; exit 1; }
[ -f "$DRIVER" ] || fail "no SQLite ODBC driver at $DRIVER (apt-get install libsqliteodbc)"
command -v sqlite3 >/dev/null || fail "no sqlite3 command (apt-get install sqlite3)"

mkdir -p "$1"
RUN=$(cd "$1" && pwd)
DB=$RUN/sample.db

# 1. The database, built aside and moved in whole.
if [ -f "$DB" ]; then
    echo "keeping $DB"
else
    rm -f "$DB.new"
    sqlite3 -bail "$DB.new" <"$SCRIPTS/sample-db.sql" || { rm -f "$DB.new"; fail "building $DB failed"; }
    mv "$DB.new" "$DB"
    echo "created $DB"
fi

# 2. The data source (StepAPI=1: rows are handed over as they are fetched,
# instead of the driver first copying the whole answer into memory): drop any old [vetch-sample] section (up to the next
# section header), then append the current one. The file is the one unixODBC
# reads user data sources from: ~/.odbc.ini of the user's passwd entry, or
# $ODBCINI when that is set.
INI=$(odbcinst -j 2>/dev/null | sed -n 's/^USER DATA SOURCES\.*: *//p')
[ -n "$INI" ] || INI=$HOME/.odbc.ini
SECTION="[$DSN]
Description=vetch sample database (SQLite)
Driver=$DRIVER
Database=$DB
StepAPI=1"
OTHERS=$(mktemp)
trap 'rm -f "$OTHERS" "$OTHERS.new"' EXIT
if [ -f "$INI" ]; then
    awk -v name="$DSN" '
        /^[ \t]*\[/ {
            header = $0
            sub(/^[ \t]*\[/, "", header)
            sub(/\][ \t\r]*$/, "", header)
            skipping = (header == name)
        }
        !skipping { print }
    ' "$INI" >"$OTHERS"
fi
{
    # Strip trailing blank lines of the rest, then one blank line between.
    if [ -s "$OTHERS" ]; then
        awk '{ lines[NR] = $0 } /[^ \t\r]/ { last = NR } END { for (i = 1; i <= last; i++) print lines[i] }' "$OTHERS"
        [ -n "$(tr -d ' \t\r\n' <"$OTHERS")" ] && echo
    fi
    printf '%s\n' "$SECTION"
} >"$OTHERS.new"
if [ -f "$INI" ] && cmp -s "$OTHERS.new" "$INI"; then
    echo "data source $DSN already in $INI"
else
    # Written in place, so the file keeps its owner, mode and any link.
    [ -f "$INI" ] || { touch "$INI"; chmod 600 "$INI"; }
    cat "$OTHERS.new" >"$INI"
    echo "data source $DSN written to $INI"
fi

# 3. The settings file, proposing the data source in the connect dialog.
SETTINGS=$RUN/vetch.ini
if [ -e "$SETTINGS" ]; then
    echo "keeping $SETTINGS"
else
    (umask 077 && printf '[SQL]\r\nHOSTSTRING=%s\r\n' "$DSN" >"$SETTINGS")
    echo "created $SETTINGS"
fi

# 4. A quick check through the driver manager, when its command is there.
if command -v isql >/dev/null; then
    if echo 'SELECT count(*) FROM employees' | isql -b "$DSN" >/dev/null 2>&1; then
        echo "isql reaches $DSN"
    else
        fail "isql cannot open $DSN; try: echo 'SELECT 1' | isql -v $DSN"
    fi
fi
