#!/bin/bash
# Fails when a file of results/, texttools/, search/, settings/, db/ or
# platform/ includes a file of app/, directly or through other headers: the
# main window (app/) depends on the windows and the layers below them, never
# the other way round, so no cycle of includes can form. Result windows and
# dialogs see the main window only through results/result_host.h.
set -uo pipefail
ROOT=$(cd "${1:-$(dirname "$0")/..}" && pwd)

declare -A visited
# Prints the chain of includes from file to a file of app/, if any.
chain() {
    local file=$1
    [[ -z ${visited[$file]:-} ]] || return 1
    visited[$file]=1
    if [[ $file == app/* ]]; then
        echo "$file"
        return 0
    fi
    local included rest
    while read -r included; do
        [[ -f "$ROOT/$included" ]] || continue
        if rest=$(chain "$included"); then
            echo "$file -> $rest"
            return 0
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$ROOT/$file")
    return 1
}

status=0
for dir in results texttools search settings db platform; do
    [[ -d "$ROOT/$dir" ]] || continue
    while read -r file; do
        visited=()
        if path=$(chain "$file"); then
            echo "forbidden include: $path" >&2
            status=1
        fi
    done < <(cd "$ROOT" && find "$dir" \( -name '*.h' -o -name '*.cpp' \) | sort)
done
exit $status
