# Sourced by the test sessions that drive a running pqn ($pid): waits, in
# steps of 50 ms, until a command succeeds. Fails at once when the program
# has ended, or after the number of steps given.
# Usage: wait_until STEPS COMMAND [ARGS...]
wait_until() {
    local steps=$1
    shift
    for _ in $(seq "$steps"); do
        "$@" && return 0
        kill -0 "$pid" 2> /dev/null || return 1
        sleep 0.05
    done
    return 1
}
