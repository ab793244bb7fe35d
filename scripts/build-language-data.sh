#!/bin/sh
# Rebuilds data/language (word frequencies and letter n-grams for English, Russian and
# Ukrainian) from the Debian packages that build-language-data.py names, installing them
# first. The generated files are committed, so builds and tests never run this.
# usage: scripts/build-language-data.sh [output-dir]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
output=${1:-"$here/../data/language"}
packages="python3 enchant-2 hunspell-en-us hunspell-ru hunspell-uk manpages manpages-ru manpages-ru-dev manpages-uk manpages-uk-dev wordnet-base dict-gcide mueller7-dict gimp-help-en gimp-help-ru gimp-help-uk libreoffice-help-en-us libreoffice-help-ru gnome-user-docs r-cran-janeaustenr"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
python3 "$here/build-language-data.py" "$output"
