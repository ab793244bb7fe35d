#!/bin/sh
# `make run`: Plovik on the user's X11 session when there is one; otherwise a
# demonstration on a private virtual X11 desktop against a real GTK window, then
# the simulated desktop and the command-line corrector.
set -u
build=${1:-build}

if [ -n "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
    [ "${XDG_SESSION_TYPE:-x11}" != wayland ] && xdpyinfo >/dev/null 2>&1; then
    echo "Plovik on $DISPLAY; settings in ${XDG_CONFIG_HOME:-$HOME/.config}/plovik; Ctrl+C stops it."
    exec "$build/app/plovik" --headless
fi

status=0
"$build/tests/demo/plovik-desktop-demo" || status=$?
echo
"$build/app/plovik" --demo || status=$?
printf 'Ghbdtn? vbh! Rfr ltkf&\nthis line is typed right\n' | "$build/tools/plovik-correct"
printf 'Руддщ цщкдвб рщц фку нщг,\n' | "$build/tools/plovik-correct" --typed-in ru
exit $status
