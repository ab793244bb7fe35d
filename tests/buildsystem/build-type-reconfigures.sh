#!/bin/sh
# `make configure BUILD_TYPE=…` on a build folder configured for another type reconfigures
# it, and leaves a folder of the same type as it is.
# usage: build-type-reconfigures.sh SOURCE_DIR
set -eu
source_dir=$1
build_dir=$(mktemp -d)
trap 'rm -rf "$build_dir"' EXIT

configure() {
    # deps is taken as done: this checks configuring, not installing.
    make -s -C "$source_dir" -o deps configure BUILD_DIR="$build_dir" BUILD_TYPE="$1" \
        >"$build_dir/make.log" 2>&1 || { cat "$build_dir/make.log" >&2; exit 1; }
}
build_type() {
    sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build_dir/CMakeCache.txt"
}
fail() {
    echo "build-type-reconfigures: $1" >&2
    exit 1
}

configure Debug
[ "$(build_type)" = Debug ] || fail "first configure gave '$(build_type)', not Debug"
configure Release
[ "$(build_type)" = Release ] || fail "BUILD_TYPE=Release left the folder at '$(build_type)'"
configure Release
grep -q "cmake -S" "$build_dir/make.log" && fail "the same BUILD_TYPE configured again"
echo "build-type-reconfigures: passed"
