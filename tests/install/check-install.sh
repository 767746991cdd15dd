#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and builds the Debian package, then checks both as a
# user meets them: the tree, the programs run from where they were installed (and find their
# vnmacros.txt), the desktop entry, the AppStream metainfo, the man pages, the bash completion.
#   check-install.sh BUILD SOURCE PREFIX BINDIR DATADIR MANDIR GUI(ON|OFF) VERSION
set -uo pipefail
build=$1 source=$2 prefix=$3 bindir=$4 datadir=$5 mandir=$6 gui=$7 version=$8
app_id=org.vantor.Vantor
games=$source/tests/data/app/games.xml

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# A home of its own: no settings, no user copy of the macros.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
mkdir -p "$HOME"
for tool in cmake cpack dpkg-deb desktop-file-validate appstreamcli man groff; do
    command -v "$tool" > /dev/null || fail "$tool is missing (scripts/test installs it)"
done
[ "$failures" -eq 0 ] || exit 1

# The files of an install, relative to its prefix.
expected_files() {  # BINDIR DATADIR MANDIR
    printf '%s\n' "$1/vantor-cli" "$2/vantor/vnmacros.txt" "$2/bash-completion/completions/vantor-cli" \
        "$3/man1/vantor-cli.1.gz" "$2/doc/vantor/copyright"
    if [ "$gui" = ON ]; then
        printf '%s\n' "$1/vantor" "$3/man1/vantor.1.gz" "$2/applications/$app_id.desktop" \
            "$2/metainfo/$app_id.metainfo.xml" "$2/icons/hicolor/scalable/apps/$app_id.svg" \
            "$2/icons/hicolor/48x48/apps/$app_id.png" "$2/icons/hicolor/256x256/apps/$app_id.png"
    fi
}
check_tree() {  # ROOT BINDIR DATADIR MANDIR
    local found
    found=$(cd "$1" && find . -type f -o -type l | sed 's|^\./||' | sort)
    if [ "$found" != "$(expected_files "$2" "$3" "$4" | sort)" ]; then
        fail "installed files under $1 differ from the expected ones:"
        diff <(expected_files "$2" "$3" "$4" | sort) <(echo "$found")
    fi
}
# The programs of an install: their version texts, and a search that needs the macros.
check_programs() {  # BIN_FOLDER EXPRESSION "ROM NAMES FOUND"
    local text rom
    text=$("$1/vantor-cli" --version)
    [ "$(sed -n 1p <<< "$text")" = "vantor-cli $version" ] || fail "$1/vantor-cli --version: $text"
    grep -Eq '^built [0-9]{4}-[0-9]{2}-[0-9]{2}, desktop program (with Qt 6\.[0-9]+\.[0-9]+|not built)' \
        <<< "$text" || fail "$1/vantor-cli --version: $text"
    grep -q '^License GPL-3.0-or-later' <<< "$text" || fail "$1/vantor-cli --version names no licence: $text"
    if [ "$gui" = ON ]; then
        text=$("$1/vantor" --version)
        [ "$(sed -n 1p <<< "$text")" = "vantor $version" ] &&
            sed -n 2p <<< "$text" | grep -Eq '^built [0-9]{4}-[0-9]{2}-[0-9]{2} with Qt 6\.' ||
            fail "$1/vantor --version: $text"
    fi
    rom=$(cd "$work" && "$1/vantor-cli" --input "$games" find "$2" 2> "$work/find.err" | cut -d'|' -f2 | tr '\n' ' ')
    [ "$rom" = "$3 " ] || fail "$1/vantor-cli find $2 found '$rom', not '$3': $(cat "$work/find.err")"
}

echo "== cmake --install into a DESTDIR"
root=$work/root
if DESTDIR=$root cmake --install "$build" > "$work/install.log" 2>&1; then
    check_tree "$root$prefix" "$bindir" "$datadir" "$mandir"
    # A macro only the installed copy has: found, the program read that copy and no other.
    echo "@INSTALLED = 'Donkey Kong (US set 1)'" >> "$root$prefix/$datadir/vantor/vnmacros.txt"
    check_programs "$root$prefix/$bindir" @INSTALLED dkong

    if [ "$gui" = ON ]; then
        desktop=$root$prefix/$datadir/applications/$app_id.desktop
        desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
        grep -qx "Exec=vantor" "$desktop" || fail "the desktop entry does not start vantor"
        grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry names another icon"
        grep -Eq '^Categories=(.*;)?Game;(.*;)?Emulator;' "$desktop" || fail "the desktop entry's categories"
        metainfo=$root$prefix/$datadir/metainfo/$app_id.metainfo.xml
        appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
        grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo names another version"
        grep -q "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" ||
            fail "the metainfo names no project licence"
        # Searching the menu or a software centre for a front end finds the program that writes its lists.
        for frontend in ES-DE Batocera RetroArch Pegasus "Attract-Mode Plus"; do
            grep -q "^Keywords=.*$frontend" "$desktop" || fail "the desktop entry's keywords lack $frontend"
            grep -q "$frontend" "$metainfo" || fail "the metainfo does not name $frontend"
        done
    fi

    # man -l renders a page; groff itself reports what man would hide (an unknown macro, say).
    for page in "$root$prefix/$mandir"/man1/*.gz; do
        zcat "$page" | groff -man -Tutf8 -wall -wmac -z 2> "$work/page.err"
        [ -s "$work/page.err" ] && fail "groff warns about $page: $(cat "$work/page.err")"
        if ! MANWIDTH=80 man -l "$page" > "$work/page.txt" 2>&1 || ! grep -q "^NAME" "$work/page.txt" ||
            ! grep -q "Vantor $version" "$work/page.txt"; then
            fail "man -l $page: $(cat "$work/page.txt")"
        fi
    done

    # Completion as bash does it: the words so far, the reply.
    mkdir -p "$work/files" && touch "$work/files/listxml.xml"
    complete_words() {
        (cd "$work/files" && bash --norc --noprofile -c '
            source "$1" && shift
            COMP_WORDS=(vantor-cli "$@")
            COMP_CWORD=$#
            _vantor_cli
            echo "${COMPREPLY[*]}"' _ "$root$prefix/$datadir/bash-completion/completions/vantor-cli" "$@")
    }
    completion=$(bash --norc --noprofile -c 'source "$1" && complete -p vantor-cli' _ \
        "$root$prefix/$datadir/bash-completion/completions/vantor-cli")
    [ "$completion" = "complete -F _vantor_cli vantor-cli" ] || fail "complete -p vantor-cli: $completion"
    [ "$(complete_words sa)" = "save" ] || fail "completing 'sa' gives '$(complete_words sa)'"
    formats=$(complete_words save "")
    [ "$(wc -w <<< "$formats")" -ge 17 ] && grep -qw hyperspin <<< "$formats" && grep -qw xml <<< "$formats" ||
        fail "completing 'save ' gives '$formats'"
    [ "$(complete_words save csv --col)" = "--columns" ] || fail "completing 'save csv --col'"
    [ "$(complete_words --input li)" = "listxml.xml" ] || fail "completing '--input li'"
else
    fail "cmake --install: $(cat "$work/install.log")"
fi

echo "== cpack -G DEB"
if (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" > "$work/cpack.log" 2>&1); then
    deb=$(ls "$work"/package/vantor_"$version"_*.deb 2> /dev/null)
    if [ -z "$deb" ]; then
        fail "no vantor_${version}_*.deb: $(cat "$work/cpack.log")"
    else
        info=$(dpkg-deb --info "$deb")
        for field in "Package: vantor" "Version: $version" "Recommends: mame" "Section: games"; do
            grep -qx " $field" <<< "$info" || fail "dpkg-deb --info lacks '$field'"
        done
        grep -Eq '^ Depends: .*libstdc\+\+6' <<< "$info" || fail "the package does not depend on libstdc++6"
        # ROM archives are read with libzip and libarchive (zlib checks what the export writes),
        # the lists it updates with pugixml; nlohmann-json is headers only.
        for library in libzip4 libarchive13 zlib1g libpugixml1v5; do
            grep -Eq "^ Depends: .*$library" <<< "$info" || fail "the package does not depend on $library"
        done
        grep -qx " Maintainer: The Vantor developers" <<< "$info" || fail "dpkg-deb --info: the maintainer field"
        if [ "$gui" = ON ]; then
            grep -Eq '^ Depends: .*libqt6widgets6' <<< "$info" || fail "the package does not depend on Qt 6 Widgets"
        fi
        # The package's own layout (GNUInstallDirs' defaults under /usr), unpacked and run.
        contents=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./usr/||' | sort)
        [ "$contents" = "$(expected_files bin share share/man | sort)" ] || {
            fail "dpkg-deb --contents differs from the expected files:"
            diff <(expected_files bin share share/man | sort) <(echo "$contents")
        }
        dpkg-deb -x "$deb" "$work/unpacked"
        grep -q '^License: GPL-3.0-or-later$' "$work/unpacked/usr/share/doc/vantor/copyright" ||
            fail "the package's copyright file names no licence"
        check_programs "$work/unpacked/usr/bin" @USA "mappy dkong"
    fi
else
    fail "cpack: $(cat "$work/cpack.log")"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures install or package checks failed"
    exit 1
fi
echo "install and package checks passed"
