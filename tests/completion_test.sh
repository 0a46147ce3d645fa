#!/usr/bin/env bash
# The bash completion of pqn, through bash's own completion machinery: a few
# prefixes and what they offer. Prints "N passed, N failed".
set -u
script="$(realpath "$1")"
program="${2:+$(realpath "$2")}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/frames" "$work/folder"
touch "$work/show.mp4"
cd "$work"
source "$script"
passed=0 failed=0

# Completes the command line "$1" (the cursor at its end) and compares the
# offers, sorted and joined by spaces, with "$2".
expect() {
    local line="$1" wanted="$2"
    read -r -a COMP_WORDS <<< "$line"
    [[ "$line" == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$line"
    COMPREPLY=()
    local function
    function="$(complete -p pqn | sed 's/.*-F \([^ ]*\) .*/\1/')"
    "$function" pqn "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    local got
    got="$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')"
    if [ "$got" = "$wanted" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "pqn completion: '$line' offered '$got', not '$wanted'"
    fi
}

expect "pqn --sc" "--scale --scene"
expect "pqn --wi" "--window"
expect "pqn --h" "--headless --help"
expect "pqn --scene " "1 2 3 4 5 6 7 8 9"
expect "pqn --size 1" "1080p 1440p"
expect "pqn --fit " "picture width"
expect "pqn --msaa " "0 2 4 8"
expect "pqn --data f" "folder frames"
expect "pqn --capture sh" "show.mp4"
expect "pqn --headless --out fr" "frames"
expect "pqn --fps " ""
expect "pqn --volume " "0 100 25 50 75"
[ "$(complete -p pqn)" = "complete -F _pqn pqn" ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "pqn completion is not registered"; }

# Every option of --help is offered (with those it is the start of).
if [ -n "$program" ]; then
    options=$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
    for option in $options; do
        expect "pqn $option" "$(printf '%s\n' $options | grep -- "^$option" | sort | paste -sd' ')"
    done
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
