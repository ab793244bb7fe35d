#!/bin/sh
# Installs the Debian packages whose text the accuracy evaluation types: Russian and English
# fortunes, the packages whose gettext catalogs make the Ukrainian and mixed texts, and the
# manuals of the development text (all named in corpus.py); with "holdout" or "fresh", also the
# packages whose catalogs make the held-out or the fresh mixed text (the fresh text leaves out
# every passage of the other mixed texts, so it needs their packages too). Does nothing when
# they are there.
# usage: bench/accuracy/install-corpus.sh [evaluation|dev|holdout|fresh]
set -eu
here=$(cd "$(dirname "$0")" && pwd)

install_missing() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# corpus.py names the rest, so python3 comes first.
install_missing fortunes-ru fortunes time python3
# shellcheck disable=SC2046
install_missing $(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import corpus
print(" ".join(sorted({corpus.package_name(entry) for entry in
                      corpus.CATALOG_PACKAGES + sum(corpus.DEVELOPMENT_PACKAGES.values(), [])})))' "$here")
case "${1:-}" in
holdout | fresh | unseen)
    # shellcheck disable=SC2046
    install_missing $(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import corpus
print(" ".join(corpus.HOLDOUT_CATALOG_PACKAGES))' "$here") ;;
esac
if [ "${1:-}" = fresh ] || [ "${1:-}" = unseen ]; then
    # shellcheck disable=SC2046
    install_missing $(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import corpus
print(" ".join(corpus.FRESH_CATALOG_PACKAGES))' "$here")
fi
if [ "${1:-}" = unseen ]; then
    # shellcheck disable=SC2046
    install_missing $(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import corpus
print(" ".join(corpus.UNSEEN_CATALOG_PACKAGES))' "$here")
fi
