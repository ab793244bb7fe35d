#!/bin/bash
# Installs the build into a fresh prefix, as a user or a package build would, and checks
# one aspect of the installed tree. Exit status 77 (skipped) only when a checking tool is
# missing.
#   check-install.sh ASPECT BUILD_DIR SOURCE_DIR BINDIR PRIVATE_LIBDIR DATADIR MANDIR
# where the directories after SOURCE_DIR are relative to the prefix, as configured.
set -u
aspect=$1 build=$2 source=$3 bindir=$4 privatelib=$5 datadir=$6 mandir=$7
app_id=io.github.plovik.Plovik
icon_sizes="16 22 24 32 48 64 128 256 512"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need() {
    command -v "$1" >/dev/null || { echo "skipped: $1 is not installed" >&2; exit 77; }
}

prefix=$(mktemp -d "${TMPDIR:-/tmp}/plovik-install-XXXXXX")
elsewhere=$(mktemp -d "${TMPDIR:-/tmp}/plovik-elsewhere-XXXXXX")
trap 'rm -rf "$prefix" "$elsewhere"' EXIT
if ! cmake --install "$build" --prefix "$prefix" >"$elsewhere/install.log" 2>&1; then
    cat "$elsewhere/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
fi

# Options a --help text lists, one per line ("-h, --help" gives --help).
help_options() {
    sed -n 's/^ \{1,\}\(-[a-z], \)\{0,1\}\(--[a-z-]\{1,\}\).*/\2/p' | sort -u
}

# Width and height of a PNG, from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}

check_tree() {
    for program in plovik plovik-correct; do
        [ -x "$prefix/$bindir/$program" ] || fail "$bindir/$program is missing or not executable"
    done
    extra=$(ls -A "$prefix/$bindir" | grep -vx -e plovik -e plovik-correct)
    [ -z "$extra" ] || fail "unexpected programs in $bindir: $extra"

    library="$prefix/$privatelib/libplovikcore.so.0"
    [ -f "$library" ] || fail "$privatelib/libplovikcore.so.0 is missing"
    libdir=$(dirname "$privatelib")
    # The Fcitx5 module, where Fcitx5 looks for add-ons, when the build made it.
    addon="$prefix/$libdir/fcitx5/libplovik.so"
    if [ -f "$build/framework/fcitx5/addon/libplovik.so" ]; then
        [ -f "$addon" ] || fail "$libdir/fcitx5/libplovik.so is missing"
        grep -qx 'Library=libplovik' "$prefix/$datadir/fcitx5/addon/plovik.conf" ||
            fail "$datadir/fcitx5/addon/plovik.conf does not name the module's library"
    fi
    # Nothing to link against and nothing in the public library path.
    found=$(find "$prefix" \( -name 'lib*.so' -o -name '*.a' -o -name '*.pc' -o -name '*.h' \) \
        ! -path "$addon")
    [ -z "$found" ] || fail "development files installed: $found"
    stray=$(find "$prefix/$libdir" -mindepth 1 -maxdepth 1 ! -name "$(basename "$privatelib")" \
        ! -name fcitx5)
    [ -z "$stray" ] || fail "files in the public library path: $stray"

    for file in "applications/$app_id.desktop" "metainfo/$app_id.metainfo.xml" \
        "icons/hicolor/scalable/apps/$app_id.svg" "bash-completion/completions/plovik-correct"; do
        [ -s "$prefix/$datadir/$file" ] || fail "$datadir/$file is missing or empty"
    done
    for size in $icon_sizes; do
        png="$prefix/$datadir/icons/hicolor/${size}x$size/apps/$app_id.png"
        if [ ! -f "$png" ]; then
            fail "no ${size}x$size icon"
        elif [ "$(png_size "$png")" != "${size}x$size" ]; then
            fail "the ${size}x$size icon is $(png_size "$png")"
        fi
    done
    for page in plovik plovik-correct; do
        [ -s "$prefix/$mandir/man1/$page.1" ] || fail "$mandir/man1/$page.1 is missing"
    done

    # Every run-time data file of the source tree, unchanged; the folder's note stays behind.
    data_files=$(cd "$source/data" && find . -type f ! -name README.md)
    for file in $data_files; do
        cmp -s "$source/data/$file" "$prefix/$datadir/plovik/$file" ||
            fail "data file $file is missing or differs"
    done
    [ ! -e "$prefix/$datadir/plovik/README.md" ] || fail "the data folder's note was installed"
    [ -n "$data_files" ] || [ ! -e "$prefix/$datadir/plovik" ] || fail "an empty data folder"
}

check_desktop() {
    need desktop-file-validate
    need appstreamcli
    entry="$prefix/$datadir/applications/$app_id.desktop"
    desktop-file-validate "$entry" || fail "desktop-file-validate"
    exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$prefix/$bindir/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ "$icon" = "$app_id" ] || fail "Icon=$icon is not the installed icon's name"

    metainfo="$prefix/$datadir/metainfo/$app_id.metainfo.xml"
    output=$(appstreamcli validate --no-net --explain "$metainfo" 2>&1) || fail "appstreamcli validate"
    if printf '%s\n' "$output" | grep -q '^[EW]:'; then
        printf '%s\n' "$output" >&2
        fail "appstreamcli reports errors or warnings"
    fi
    appstreamcli validate-tree --no-net "$prefix" >/dev/null 2>&1 ||
        fail "appstreamcli validate-tree"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $app_id.desktop"
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"

    # Launch at login, as the program's desktop services write it for the installed program.
    probe="$build/tests/install/plovik-autostart-probe"
    [ -x "$probe" ] || { fail "$probe is not built"; return; }
    config="$elsewhere/config"
    autostart=$(XDG_CONFIG_HOME=$config "$probe" on "$prefix/$bindir/plovik") ||
        fail "launch at login could not be turned on"
    [ "$autostart" = "$config/autostart/plovik.desktop" ] ||
        fail "the autostart entry went to '$autostart'"
    desktop-file-validate "$autostart" || fail "the autostart entry is not valid"
    [ "$(sed -n 's/^Exec=//p' "$autostart")" = "\"$prefix/$bindir/plovik\"" ] ||
        fail "the autostart entry starts '$(sed -n 's/^Exec=//p' "$autostart")'"
    [ "$(sed -n 's/^TryExec=//p' "$autostart")" = "$prefix/$bindir/plovik" ] ||
        fail "the autostart entry tries '$(sed -n 's/^TryExec=//p' "$autostart")'"
    XDG_CONFIG_HOME=$config "$probe" off "$prefix/$bindir/plovik" >/dev/null ||
        fail "launch at login could not be turned off"
    [ ! -e "$autostart" ] || fail "the autostart entry remains after turning it off"
}

check_programs() {
    need readelf
    need objcopy
    need ldd
    for program in plovik plovik-correct; do
        dynamic=$(readelf -d "$prefix/$bindir/$program")
        runpath=$(printf '%s\n' "$dynamic" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
        expected="\$ORIGIN/$(realpath -m --relative-to="/$bindir" "/$privatelib")"
        [ "$runpath" = "$expected" ] || fail "$program: RUNPATH is '$runpath', not '$expected'"
        printf '%s\n' "$dynamic" | grep -q '(RPATH)' && fail "$program: has an RPATH"
        printf '%s\n' "$dynamic" | grep -qF "$build" && fail "$program: names the build tree"
        resolved=$(cd "$elsewhere" && env -u LD_LIBRARY_PATH ldd "$prefix/$bindir/$program" |
            sed -n 's/^[[:space:]]*libplovikcore\.so\.0 => \([^ ]*\).*/\1/p')
        [ "$(realpath "$resolved")" = "$(realpath "$prefix/$privatelib/libplovikcore.so.0")" ] ||
            fail "$program: loads libplovikcore from '$resolved'"
    done
    readelf -d "$prefix/$privatelib/libplovikcore.so.0" | grep -qF "$build" &&
        fail "libplovikcore: names the build tree"
    # Files are found relative to the program, never at paths of the tree it was built in.
    for file in "$bindir/plovik" "$bindir/plovik-correct" "$privatelib/libplovikcore.so.0"; do
        objcopy -O binary --only-section=.rodata "$prefix/$file" "$elsewhere/rodata"
        for tree in "$source" "$build"; do
            grep -qaF "$tree/" "$elsewhere/rodata" && fail "$file: holds the path $tree"
        done
    done

    corrected=$(cd "$elsewhere" && printf 'ghbdtn vbh\n' | env -u LD_LIBRARY_PATH "$prefix/$bindir/plovik-correct")
    [ "$corrected" = "привет мир" ] || fail "installed plovik-correct printed '$corrected'"
    if [ -d "$source/data/language" ]; then
        extended=$(cd "$elsewhere" && printf 'j,kfcnm cj,snbt\n' |
            env -u LD_LIBRARY_PATH -u PLOVIK_LANGUAGE_DATA "$prefix/$bindir/plovik-correct" \
                --engine extended 2>&1)
        [ "$extended" = "область событие" ] ||
            fail "installed plovik-correct --engine extended printed '$extended'"
    fi
    (cd "$elsewhere" && env -u LD_LIBRARY_PATH "$prefix/$bindir/plovik" --demo >"$elsewhere/demo.out" 2>&1) ||
        { cat "$elsewhere/demo.out" >&2; fail "installed plovik --demo failed"; }
}

check_documentation() {
    need man
    for page in plovik plovik-correct; do
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -E UTF-8 -l -Tutf8 -Z \
            "$prefix/$mandir/man1/$page.1" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man $page: $warnings"
    done

    # The manual page and the completion list exactly the options the program has.
    help=$("$prefix/$bindir/plovik-correct" --help | help_options)
    [ -n "$help" ] || fail "plovik-correct --help lists no options"
    documented=$(sed -n 's/^\.[BI]*R* *\(\\-[a-z]\)\{0,1\}.*\\-\\-\([a-z-]*\).*/--\2/p' \
        "$prefix/$mandir/man1/plovik-correct.1" | grep -v '^--$' | sort -u)
    [ "$documented" = "$help" ] ||
        fail "man page options differ from --help:$(diff <(echo "$help") <(echo "$documented") | grep '^[<>]' | tr '\n' ' ')"

    # Every mode plovik's own usage names has its place in plovik(1).
    modes=$(cd "$elsewhere" && HOME=$elsewhere timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY \
        "$prefix/$bindir/plovik" --help 2>/dev/null | help_options)
    [ -n "$modes" ] || fail "plovik --help lists no modes"
    for mode in $modes; do
        grep -qF "\\-\\-${mode#--}" "$prefix/$mandir/man1/plovik.1" ||
            fail "plovik(1) does not describe $mode"
    done

    completion="$prefix/$datadir/bash-completion/completions/plovik-correct"
    completed=$(PATH="$prefix/$bindir:$PATH" bash -c '
        source "$1" || exit 1
        complete -p plovik-correct >/dev/null || exit 1
        complete_line() {
            COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            _plovik_correct; printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "; echo
        }
        complete_line plovik-correct ""
        complete_line plovik-correct --typed-in r
        complete_line plovik-correct --layouts us,u
        complete_line plovik-correct --layouts = us,u
        complete_line plovik-correct --threshold ""
    ' bash "$completion") || fail "the completion does not load"
    expected_options="$(echo "$help" | tr '\n' ' ')"
    [ "$(sed -n 1p <<<"$completed")" = "$expected_options" ] ||
        fail "completion offers '$(sed -n 1p <<<"$completed")', not '$expected_options'"
    [ -f /usr/share/X11/xkb/rules/evdev.lst ] && {
        grep -qw ru <<<"$(sed -n 2p <<<"$completed")" || fail "no ru after --typed-in r"
        grep -q 'us,ua ' <<<"$(sed -n 3p <<<"$completed")" || fail "no us,ua after --layouts us,u"
        grep -q 'us,ua ' <<<"$(sed -n 4p <<<"$completed")" || fail "no us,ua after --layouts=us,u"
    }
    [ -z "$(sed -n 5p <<<"$completed" | tr -d ' ')" ] || fail "completion offers a threshold value"
}

case "$aspect" in
    tree) check_tree ;;
    desktop) check_desktop ;;
    programs) check_programs ;;
    documentation) check_documentation ;;
    *) echo "unknown aspect $aspect" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ]
