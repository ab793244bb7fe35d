#!/bin/sh
# The version header names the commit checked out at build time, is rewritten when that
# changes and only then, and names none outside git.
# usage: version-follows-commit.sh WRITE_BUILD_VERSION_SCRIPT
set -eu
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
header=$work/BuildVersion.h

fail() {
    echo "version-follows-commit: $1" >&2
    cat "$header" >&2
    exit 1
}
write() {
    cmake -DSOURCE_DIR="$1" -DVERSION=1.2.3 -DOUTPUT="$header" -P "$script"
}
commit() {
    git -C "$work/src" -c user.name=Test -c user.email=test@example.invalid \
        commit -q --allow-empty -m "$1"
    git -C "$work/src" rev-parse --short HEAD
}

git init -q "$work/src"
first=$(commit first)
write "$work/src"
grep -q "kVersion = \"1.2.3\";" "$header" || fail "no version"
grep -q "kCommit = \"$first\";" "$header" || fail "not the first commit $first"

# Unchanged, the header keeps its time, so nothing that includes it is rebuilt.
touch -d '2001-01-01 00:00' "$header"
write "$work/src"
[ "$(date -r "$header" +%Y)" = 2001 ] || fail "rewritten without a change"

second=$(commit second)
write "$work/src"
grep -q "kCommit = \"$second\";" "$header" || fail "still not the second commit $second"

mkdir "$work/archive"
write "$work/archive"
grep -q 'kCommit = "";' "$header" || fail "a commit outside git"
echo "version-follows-commit: passed"
