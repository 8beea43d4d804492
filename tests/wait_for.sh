# What the tests driven from the shell (the journeys, the package test) share.
# wait_for SECONDS COMMAND...: polls until the command succeeds; fails once the time is up.
wait_for() {
    local limit=$1; shift
    local end=$((SECONDS + limit))
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.1
    done
}
