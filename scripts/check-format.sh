#!/bin/sh
# Fails, naming each file, when a tracked C++ source differs from what clang-format makes of
# it with the repository's .clang-format. `make format` rewrites them.
# usage: check-format.sh [clang-format program]
set -eu
cd "$(dirname "$0")/.."
formatter=${1:-clang-format}

if ! command -v "$formatter" >/dev/null 2>&1; then
    echo "check-format: $formatter not found (scripts/install-deps.sh installs it)" >&2
    exit 2
fi

drifting=$(mktemp)
trap 'rm -f "$drifting"' EXIT
git ls-files -- '*.h' '*.cpp' | while IFS= read -r file; do
    "$formatter" --style=file "$file" | cmp -s - "$file" || printf '%s\n' "$file" >>"$drifting"
done

if [ -s "$drifting" ]; then
    echo "check-format: $(wc -l <"$drifting") file(s) differ from clang-format ($("$formatter" --version)):" >&2
    sed 's/^/  /' "$drifting" >&2
    echo "check-format: run 'make format' and commit the result" >&2
    exit 1
fi
echo "check-format: $(git ls-files -- '*.h' '*.cpp' | wc -l) files formatted"
