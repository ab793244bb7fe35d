#!/bin/bash
# Builds the Debian package from a copy of this checkout (its tracked and new files, not
# the build folders) in OUT_DIR, then runs lintian on the result. The package's tests are
# skipped unless DEB_BUILD_OPTIONS says otherwise: `make test` runs them on the same code.
#   build-package.sh [OUT_DIR]
set -eu
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build-package}")
version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
source="$out/plovik-$upstream"

rm -rf "$out"
mkdir -p "$source"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
        tar --null --files-from=- -cf - | tar -xf - -C "$source"
else
    tar --exclude='./build*' -cf - . | tar -xf - -C "$source"
fi

# debhelper gives the build its own HOME, so the shared compiler cache is named here.
if command -v ccache >/dev/null 2>&1; then
    CCACHE_DIR=$(ccache --get-config cache_dir)
    export CCACHE_DIR
    for config in "${XDG_CONFIG_HOME:-$HOME/.config}/ccache/ccache.conf" "$HOME/.ccache/ccache.conf"; do
        if [ -f "$config" ]; then
            export CCACHE_CONFIGPATH="$config"
            break
        fi
    done
fi

export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-nocheck} parallel=$(nproc)"
case " $DEB_BUILD_OPTIONS " in
    *" nocheck "*) export DEB_BUILD_PROFILES="${DEB_BUILD_PROFILES:-nocheck}" ;;
esac
cd "$source"
dpkg-checkbuilddeps
dpkg-buildpackage --build=binary --no-sign
cd "$out"
changes=$(ls plovik_*.changes)
echo "lintian $changes:"
lintian --info --display-info --fail-on error "$changes"
echo "Built: $(ls "$out"/plovik_*.deb)"
