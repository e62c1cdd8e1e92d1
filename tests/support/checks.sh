# Checks for the shell tests: `check` runs one and counts a failure, `checks_finish NAME`
# reports and exits 1 when any failed. Source this file.
failures=0
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then
        echo "ok:   $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

checks_finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$1: $failures check(s) failed"
        exit 1
    fi
    echo "$1: all checks passed"
}
