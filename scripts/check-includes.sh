#!/bin/bash
# Fails when a file of results/, texttools/, settings/ or search/ reaches
# app/main_dlg.h through its includes, directly or through other headers:
# result windows and dialogs see the main window only through
# app/result_host.h, so the two never form a cycle of includes.
set -uo pipefail
ROOT=$(cd "${1:-$(dirname "$0")/..}" && pwd)
FORBIDDEN=app/main_dlg.h

declare -A visited
# Prints the chain of includes from file to the forbidden header, if any.
chain() {
    local file=$1
    [[ -z ${visited[$file]:-} ]] || return 1
    visited[$file]=1
    if [[ $file == "$FORBIDDEN" ]]; then
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
for dir in results texttools settings search; do
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
