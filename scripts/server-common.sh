# shellcheck shell=sh
# Shared by pg-start.sh and mdb-start.sh (sourced, POSIX sh).

# free_port <first> <taken>: prints the first port from <first> upward for
# which the function <taken> fails; exits when fifty in a row are taken.
free_port() {
    port=$1
    tries=0
    while "$2" "$port"; do
        tries=$((tries + 1))
        [ $tries -lt 50 ] || { echo "$0: no free port from $1 upward" >&2; exit 1; }
        port=$((port + 1))
    done
    echo "$port"
}

# print_logs <file>...: every non-empty log under its name, to stderr.
print_logs() {
    for log in "$@"; do
        if [ -s "$log" ]; then
            echo "----- $log -----" >&2
            cat "$log" >&2
        fi
    done
}
