#!/bin/sh
# Installs every Debian 12 package the build, the tests and the program need.
# Safe to run again: it only calls apt-get when something is missing.
# usage: install-deps.sh [--package] [--fuzz] [--apps]
#        (what `make package` / `make fuzz` / `make test-apps` also need)
set -eu

fuzz=no
debian_package=no
applications=no
for argument in "$@"; do
    case "$argument" in
        --fuzz) fuzz=yes ;;
        --package) debian_package=yes ;;
        --apps) applications=yes ;;
        *) echo "install-deps: unknown option $argument" >&2; exit 2 ;;
    esac
done

PACKAGES="
build-essential g++ make cmake ninja-build pkg-config git ccache
libicu-dev nlohmann-json3-dev uuid-dev libsodium-dev
libxkbcommon-dev libxkbregistry-dev xkb-data libx11-data
libenchant-2-dev enchant-2 hunspell-en-us hunspell-ru hunspell-uk
libgtest-dev libgmock-dev libbenchmark-dev
# the formatting check CI runs over the C++ sources (scripts/check-format.sh)
clang-format
# the Qt user interface (widgets, SVG icons) and its off-screen window tests
qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
"

# A private X11 desktop for the desktop tests (virtual server, window manager, session and
# accessibility buses, tray host, notifications) and the GTK 3 / Qt 6 fixture windows.
PACKAGES="$PACKAGES
xvfb xauth openbox dbus x11-utils x11-xkb-utils at-spi2-core trayer dunst
# a nested server whose keyboard the typing tests type on, apart from XTest
xserver-xephyr
libglib2.0-dev libxcb1-dev libxcb-xtest0-dev libatspi2.0-dev libgtk-3-dev qt6-base-dev
"

# The X11 keyboard backends (capture, injection, layouts, main loop) and the virtual X
# server of their tests.
PACKAGES="$PACKAGES
libglib2.0-dev libxcb1-dev libxcb-xinput-dev libxcb-xtest0-dev libxcb-xkb-dev libxkbcommon-x11-dev
xvfb x11-xkb-utils x11-utils
"

# Desktop services (installed applications, notifications, sounds, the shortcut probe) and
# what their tests start: a virtual X server, a private bus, a notification server.
PACKAGES="$PACKAGES
libglib2.0-dev libgdk-pixbuf-2.0-dev librsvg2-common libcanberra-dev sound-theme-freedesktop
libxcb1-dev libxcb-xinput-dev xvfb dbus-daemon dbus-bin dunst
"

# GNOME on Wayland: Plovik's IBus engines (built against libibus) and what their
# end-to-end tests start: headless GNOME Shell (which runs IBus and Xwayland), GTK's IBus
# module for X11 clients, and the GTK 4 fixture window.
PACKAGES="$PACKAGES
libibus-1.0-dev ibus gnome-shell mutter xwayland ibus-gtk3 libgtk-4-dev"
# The Fcitx5 module that shows Plovik the keyboard on Wayland, and the Wayland desktop of the
# end-to-end tests: headless sway, Fcitx5 with its Wayland and D-Bus frontends, the GTK and
# Qt input modules, Qt's Wayland platform, and our virtual keyboard's client library and
# protocol scanner.
PACKAGES="$PACKAGES
libfcitx5core-dev libfcitx5utils-dev libfcitx5config-dev fcitx5-modules-dev libwayland-dev
sway fcitx5 fcitx5-modules fcitx5-frontend-gtk3 fcitx5-frontend-qt6 qt6-wayland
libwayland-bin libxkbcommon-dev dbus-daemon dbus-bin
"

# Installing: icons rendered from their SVG, and the checks of the installed tree.
PACKAGES="$PACKAGES
librsvg2-bin desktop-file-utils appstream man-db
"

# Building the Debian package (`make package` runs this script with --package).
if [ "$debian_package" = yes ]; then
    PACKAGES="$PACKAGES
debhelper dpkg-dev fakeroot lintian
"
fi

# The libFuzzer harnesses (`make fuzz` only): clang and its runtime, which holds libFuzzer
# and the sanitizers and is not pulled in by clang itself.
if [ "$fuzz" = yes ]; then
    PACKAGES="$PACKAGES
clang libclang-rt-14-dev
"
fi

# The real applications `make test-apps` types into, one per kind of toolkit: GTK 3, GTK 4,
# Qt 5, LibreOffice (with its GTK 3 look, which exposes accessibility), the two browsers and
# two terminals.
if [ "$applications" = yes ]; then
    PACKAGES="$PACKAGES
mousepad gnome-text-editor featherpad libreoffice-writer libreoffice-gtk3
firefox-esr chromium xterm xfce4-terminal
"
fi

# A comment may stand among the names.
PACKAGES=$(printf '%s\n' "$PACKAGES" | sed 's/#.*//')

missing=""
for package in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $package" ;;
    esac
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    run_as_root=""
elif command -v sudo >/dev/null 2>&1; then
    run_as_root="sudo"
else
    echo "install-deps: missing packages:$missing; run this script as root or install sudo" >&2
    exit 1
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$run_as_root apt-get update -q
# shellcheck disable=SC2086
$run_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
