#!/bin/bash
# Installs the package `make package` built, checks the installed program as a user would
# meet it, purges it and checks that none of its files remain. Run as root on a machine
# where Plovik is not installed; it leaves the machine as it found it. AUTOSTART_PROBE turns
# launch at login on through the program's desktop services (built with the tests).
#   check-package.sh [PACKAGE_DIR [AUTOSTART_PROBE]]
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(ls "${1:-build-package}"/plovik_*.deb)
fcitx5_deb=$(ls "${1:-build-package}"/plovik-fcitx5_*.deb)
probe=$(realpath "${2:-build/tests/install/plovik-autostart-probe}")
[ -x "$probe" ] || { echo "check-package: no autostart probe at $probe" >&2; exit 2; }
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for package in plovik plovik-fcitx5; do
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q installed; then
        echo "check-package: $package is already installed; not touching it" >&2
        exit 2
    fi
done

# Everything on the system disk outside homes, temporary and state folders.
snapshot() {
    find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp \
        -o -path /var/tmp -o -path /home -o -path /root -o -path /work -o -path /var/cache \
        -o -path /var/log -o -path /var/lib/apt -o -path /var/lib/dpkg \) -prune -o -print |
        sort
}
before=$(mktemp)
after=$(mktemp)
home=$(mktemp -d)
# A user of GNOME whose input sources Plovik's set-up replaced: the removal gives them back.
# Made before the snapshot, since adding a user leaves backups of the account files.
sources_user=plovik-check-$$
sources_home=$(mktemp -d)
useradd --no-create-home --home-dir "$sources_home" --shell /bin/sh "$sources_user"
chown "$sources_user": "$sources_home"
trap 'rm -rf "$before" "$after" "$home" "$sources_home"; userdel "$sources_user" 2>/dev/null || true' EXIT
# Runs a shell command as that user in a GNOME on Wayland session of its own bus.
as_sources_user() {
    (cd / && runuser -u "$sources_user" -- env -i PATH=/usr/bin:/bin HOME="$sources_home" \
        XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME dbus-run-session -- sh -c "$1")
}
original_sources="[('xkb', 'us'), ('xkb', 'ru')]"
snapshot >"$before"

export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 install -y -q "./$deb" "./$fcitx5_deb" >/dev/null
installed=$(dpkg -L plovik plovik-fcitx5)

[ "$(command -v plovik-correct)" = /usr/bin/plovik-correct ] || fail "plovik-correct is not /usr/bin's"
corrected=$(cd / && printf 'ghbdtn vbh\n' | plovik-correct)
[ "$corrected" = "привет мир" ] || fail "plovik-correct printed '$corrected'"
(cd / && HOME=$home plovik --demo >/dev/null) || fail "plovik --demo failed"
man -w plovik-correct >/dev/null || fail "man plovik-correct finds no page"
desktop-file-validate /usr/share/applications/io.github.plovik.Plovik.desktop ||
    fail "the installed desktop entry is not valid"
grep -qx 'io.github.plovik.Plovik.desktop' <(ls /usr/share/applications) ||
    fail "no desktop entry in the application menu's folder"

# GNOME on Wayland: IBus's component names the installed engine program, and GNOME Shell
# finds the extension in its system folder.
component=/usr/share/ibus/component/plovik.xml
extension=/usr/share/gnome-shell/extensions/plovik@plovik.github.io
[ -f "$component" ] || fail "no IBus component at $component"
engine=$(sed -n 's|.*<exec>\([^ <]*\).*|\1|p' "$component" | head -n 1)
[ -n "$engine" ] && [ -x "$engine" ] || fail "the IBus component starts '$engine', which is not installed"
for file in metadata.json extension.js; do
    [ -f "$extension/$file" ] || fail "the GNOME Shell extension lacks $file"
done

# Launch at login names the running program (/proc/self/exe) in the autostart entry: started
# as the menu starts it, that must be the installed program. The child is held at its exec
# so that its /proc entry is read while it is the program itself.
started_as=$(cd / && python3 - "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' \
    /usr/share/applications/io.github.plovik.Plovik.desktop)" <<'PYTHON'
import ctypes, os, signal, subprocess, sys
libc = ctypes.CDLL(None, use_errno=True)
child = subprocess.Popen([sys.argv[1], "--demo"], stdout=subprocess.DEVNULL,
                         preexec_fn=lambda: libc.ptrace(0, 0, None, None))
os.waitpid(child.pid, os.WUNTRACED)
print(os.readlink(f"/proc/{child.pid}/exe"))
os.kill(child.pid, signal.SIGKILL)
child.wait()
PYTHON
)
[ "$started_as" = /usr/bin/plovik ] || fail "the menu's plovik runs as '$started_as'"
autostart=$(cd / && env -u XDG_CONFIG_HOME HOME="$home" "$probe" on "$started_as") || fail "launch at login failed"
[ "$autostart" = "$home/.config/autostart/plovik.desktop" ] ||
    fail "the autostart entry went to '$autostart'"
desktop-file-validate "$autostart" || fail "the autostart entry is not valid"
grep -qx 'Exec="/usr/bin/plovik"' "$autostart" || fail "the autostart entry does not start /usr/bin/plovik"
grep -qx "TryExec=/usr/bin/plovik" "$autostart" || fail "the autostart entry does not try /usr/bin/plovik"

# The Fcitx5 module where Fcitx5 looks for add-ons, and Fcitx5 loading it: once loaded it
# listens for Plovik in the runtime folder. Fcitx5 runs without a display on its own bus.
module=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/fcitx5/libplovik.so
[ -f "$module" ] || fail "the Fcitx5 module is not at $module"
[ -f /usr/share/fcitx5/addon/plovik.conf ] || fail "Fcitx5 has no entry for the module"
! ldd "$module" | grep -q 'not found' || fail "the Fcitx5 module misses libraries"
runtime="$home/runtime"
mkdir -m 700 "$runtime"
(cd / && exec setsid env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" \
    XDG_CONFIG_HOME="$runtime/config" timeout 20 dbus-run-session -- \
    fcitx5 --disable=notificationitem,kimpanel >/dev/null 2>&1) &
fcitx5_group=$!
for _ in $(seq 1 100); do
    [ -S "$runtime/plovik-fcitx5.socket" ] && break
    sleep 0.1
done
[ -S "$runtime/plovik-fcitx5.socket" ] || fail "Fcitx5 did not load the installed module"
kill -TERM -- "-$fcitx5_group" 2>/dev/null || true
wait "$fcitx5_group" 2>/dev/null || true
rm -rf "$runtime"

# Plovik's set-up puts its IBus engines in place of the user's sources (IBus running, as in
# a GNOME session), recording what it replaced.
as_sources_user "gsettings set org.gnome.desktop.input-sources sources \"$original_sources\"
    ibus-daemon --daemonize --replace --panel=disable
    for try in \$(seq 1 50); do plovik --integration on >/dev/null 2>&1 && break; sleep 0.2; done
    ibus exit >/dev/null 2>&1" || true
replaced_sources=$(as_sources_user "gsettings get org.gnome.desktop.input-sources sources")
case "$replaced_sources" in
    *plovik-us*plovik-ru*) ;;
    *) fail "plovik --integration on left the sources as $replaced_sources" ;;
esac

# The user's own files, which removing the package must leave alone.
mkdir -p "$home/.config/plovik" "$home/.local/share/Plovik"
echo '{"isEnabled":true}' >"$home/.config/plovik/Plovik.AppSettings.v1"
echo '[]' >"$home/.local/share/Plovik/correction-history.json"
user_files=$(cd "$home" && find . -type f | sort)

apt-get -o DPkg::Lock::Timeout=600 purge -y -q plovik plovik-fcitx5 >/dev/null
snapshot >"$after"
left=$(comm -13 "$before" "$after")
[ -z "$left" ] || fail "left after purge: $left"
for file in $installed; do
    [ "$file" = /. ] || [ -d "$file" ] || [ ! -e "$file" ] || fail "$file remains after purge"
done
dpkg-query -W plovik >/dev/null 2>&1 && fail "dpkg still knows plovik"
[ ! -e "$component" ] && [ ! -e "$extension" ] ||
    fail "the IBus component or the GNOME Shell extension remains after purge"
dpkg-query -W plovik-fcitx5 >/dev/null 2>&1 && fail "dpkg still knows plovik-fcitx5"
[ "$(cd "$home" && find . -type f | sort)" = "$user_files" ] ||
    fail "purging changed the user's files in their home"
restored_sources=$(as_sources_user "gsettings get org.gnome.desktop.input-sources sources")
[ "$restored_sources" = "$original_sources" ] ||
    fail "removing the package left the user's input sources as $restored_sources"

[ "$failures" -eq 0 ] && echo "check-package: installed, ran and purged cleanly"
