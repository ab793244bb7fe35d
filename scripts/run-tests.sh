#!/bin/sh
# Runs ctest in a build folder; a test that fails gets one more run on its own. One that
# passes then is named as flaky in the last lines; one that fails twice, or with a
# sanitizer's report, fails the run.
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
# A sanitizer's report is a fault even if a second run would not meet it.
if grep -Eq 'SUMMARY: (Address|Leak|UndefinedBehavior)Sanitizer' "$first_log"; then
    echo "run-tests: a sanitizer reported an error; not running the failed tests again" >&2
    exit 1
fi
# ctest's summary line says how many ran.
total=$(sed -n 's/.*tests failed out of \([0-9][0-9]*\).*/\1/p' "$first_log" | tail -n 1)
failed_list=Testing/Temporary/LastTestsFailed.log
if [ -z "$total" ] || [ ! -s "$failed_list" ]; then
    echo "run-tests: ctest failed before running the tests" >&2
    exit 1
fi
# One test a line, named without the parameter gtest prints after it.
failed_names() {
    cut -d: -f2- "$failed_list" | sed 's/  *# GetParam().*//'
}
first_failures=$(failed_names)

echo
echo "run-tests: running the failed tests once more:"
echo "$first_failures"
second_status=0
# By name: ctest numbers only the tests its options select, and --rerun-failed without
# the same options runs whatever tests bear those numbers in the whole list.
failed_regex=$(cut -d: -f2- "$failed_list" | sed 's/[][\\.*^$+?(){}|]/\\&/g; s/^/^/; s/$/$/' |
    paste -sd'|' -)
ctest --output-on-failure -R "$failed_regex" || second_status=$?

echo
if [ "$second_status" -eq 0 ]; then
    echo "$first_failures" | while IFS= read -r test; do
        echo "run-tests: FLAKY: $test failed, then passed when run again"
    done
    echo "tests: $total passed, 0 failed"
    exit 0
fi
still_failing=$(failed_names)
echo "$first_failures" | while IFS= read -r test; do
    if echo "$still_failing" | grep -Fqx -- "$test"; then
        echo "run-tests: FAILED twice: $test"
    else
        echo "run-tests: FLAKY: $test failed, then passed when run again"
    fi
done
failures=$(echo "$still_failing" | wc -l)
echo "tests: $((total - failures)) passed, $failures failed"
exit 1
