#!/bin/sh
# Installs the Debian packages whose prose the accuracy evaluation types: Russian fortunes
# (fortunes-ru) and English fortunes (fortunes). Does nothing when they are there.
set -eu
missing=""
for package in fortunes-ru fortunes time python3; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
