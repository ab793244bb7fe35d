#!/bin/sh
# Runs ctest in a build folder; a test that fails gets one more run on its own. One that
# passes then is named as flaky in the last lines; one that fails twice fails the run.
# usage: run-tests.sh BUILD_DIR [ctest options…]
set -eu
build_dir=$1
shift
cd "$build_dir"

first_log=$(mktemp)
first_status=$(mktemp)
trap 'rm -f "$first_log" "$first_status"' EXIT

{ ctest --output-on-failure "$@" || echo $? >"$first_status"; } | tee "$first_log"
if [ ! -s "$first_status" ]; then
    exit 0
fi
# ctest's summary line says how many ran.
total=$(sed -n 's/.*tests failed out of \([0-9][0-9]*\).*/\1/p' "$first_log" | tail -n 1)
failed_list=Testing/Temporary/LastTestsFailed.log
if [ -z "$total" ] || [ ! -s "$failed_list" ]; then
    echo "run-tests: ctest failed before running the tests" >&2
    exit 1
fi
first_failures=$(cut -d: -f2- "$failed_list")

echo
echo "run-tests: running the failed tests once more:" $first_failures
second_status=0
ctest --output-on-failure --rerun-failed || second_status=$?

echo
if [ "$second_status" -eq 0 ]; then
    for test in $first_failures; do
        echo "run-tests: FLAKY: $test failed, then passed when run again"
    done
    echo "tests: $total passed, 0 failed"
    exit 0
fi
still_failing=$(cut -d: -f2- "$failed_list")
for test in $first_failures; do
    case " $(echo $still_failing) " in
        *" $test "*) echo "run-tests: FAILED twice: $test" ;;
        *) echo "run-tests: FLAKY: $test failed, then passed when run again" ;;
    esac
done
failures=$(echo "$still_failing" | wc -l)
echo "tests: $((total - failures)) passed, $failures failed"
exit 1
