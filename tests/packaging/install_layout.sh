#!/bin/sh
# Installs a built tree into throw-away prefixes, both the plain layout and Debian's games
# layout (through DESTDIR, so nothing outside the scratch folder is touched), and checks that
# the launcher finds the program and its pictures from any working directory, through a
# symbolic link and after the whole prefix has been moved.
#
# The installed program is swapped for a stand-in that reports where it was started, so no
# display is needed.
#
# Usage: tests/packaging/install_layout.sh BUILD_DIR SCRATCH_DIR
set -eu

build=$(cd "$1" && pwd -P)
mkdir -p "$2"
scratch=$(cd "$2" && pwd -P)
source_dir=$(cd "$(dirname "$0")/../.." && pwd -P)
# The scratch folder is emptied first; refuse folders that must never be emptied.
case $scratch in
/ | "$HOME" | "$source_dir" | "$build")
    echo "refusing to use $scratch as the scratch folder" >&2
    exit 2
    ;;
esac
rm -rf "${scratch:?}"/*

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_file() {
    [ -f "$1" ] || fail "missing $1"
}

expect_executable() {
    [ -x "$1" ] || fail "not executable: $1"
}

# Every picture of the source tree must be installed, byte for byte.
expect_pictures() {
    pictures=$1
    count=0
    for picture in $(cd "$source_dir/image" && find . -type f \( -name '*.png' -o -name '*.jpg' \)); do
        count=$((count + 1))
        cmp -s "$source_dir/image/$picture" "$pictures/$picture" ||
            fail "picture $picture not installed in $pictures"
    done
    [ "$count" -gt 0 ] || fail "the source tree has no pictures under image/"
}

# Every sound of the source tree must be installed beside the pictures, byte for byte.
expect_sounds() {
    sounds=$1
    count=0
    for sound in "$source_dir"/sound/*.wav; do
        count=$((count + 1))
        cmp -s "$sound" "$sounds/$(basename "$sound")" || fail "sound $sound not installed in $sounds"
    done
    [ "$count" -gt 0 ] || fail "the source tree has no sounds under sound/"
}

# Replaces the installed program with a script that prints its working directory, whether
# ../image/bg.jpg and ../sound/move.wav can be read from there, and its arguments one a line.
install_probe() {
    cat >"$1" <<'PROBE'
#!/bin/sh
pwd -P
if [ -r ../image/bg.jpg ]; then echo "pictures found"; else echo "pictures missing"; fi
if [ -r ../sound/move.wav ]; then echo "sounds found"; else echo "sounds missing"; fi
printf '%s\n' "$@"
PROBE
    chmod +x "$1"
}

# Runs a launcher from / and checks that the program ran inside the expected picture folder.
expect_launch() {
    launcher=$1
    pictures=$2
    what=$3
    output=$(cd / && "$launcher") || {
        fail "$what: launcher failed"
        return
    }
    expected_dir=$(cd "$pictures" && pwd -P)
    [ "$(echo "$output" | sed -n 1p)" = "$expected_dir" ] ||
        fail "$what: started in $(echo "$output" | sed -n 1p), expected $expected_dir"
    [ "$(echo "$output" | sed -n 2p)" = "pictures found" ] || fail "$what: ../image/ not readable"
    [ "$(echo "$output" | sed -n 3p)" = "sounds found" ] || fail "$what: ../sound/ not readable"
}

check_desktop_entry() {
    entry=$1
    expect_file "$entry"
    if command -v desktop-file-validate >/dev/null && [ -f "$entry" ]; then
        desktop-file-validate "$entry" || fail "desktop entry does not validate: $entry"
    fi
    [ -f "$entry" ] || return 0
    grep -qx 'Exec=ixo-shogi --rules standard' "$entry" ||
        fail "desktop entry has no action for a standard game: $entry"
    grep -qx 'Name=Play against the computer' "$entry" ||
        fail "desktop entry has no action to play against the computer: $entry"
    # Every command line of the entry must be one the game accepts: its parser reads the
    # options in order, so --version after them exits 0 only if they are all right.
    refused=$(grep '^Exec=' "$entry" | sed 's/^Exec=ixo-shogi//' | while read -r options; do
        # shellcheck disable=SC2086 # the options are words of a command line
        "$build/ixo-shogi" $options --version >/dev/null 2>&1 || echo "ixo-shogi $options"
    done)
    [ -z "$refused" ] || fail "desktop entry runs what the game refuses: $refused"
}

check_icons() {
    share=$1
    for size in 16 22 24 32 48 64 128 256; do
        expect_file "$share/icons/hicolor/${size}x${size}/apps/ixo-shogi.png"
    done
}

quiet_install() {
    log=$scratch/install.log
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        fail "install failed: $*"
        return 1
    fi
}

# The plain layout, under any prefix.
plain=$scratch/plain
if quiet_install cmake --install "$build" --prefix "$plain"; then
    expect_executable "$plain/bin/ixo-shogi"
    expect_executable "$plain/libexec/ixo-shogi/ixo-shogi"
    expect_pictures "$plain/share/ixo-shogi/image"
    expect_sounds "$plain/share/ixo-shogi/sound"
    check_desktop_entry "$plain/share/applications/ixo-shogi.desktop"
    check_icons "$plain/share"

    install_probe "$plain/libexec/ixo-shogi/ixo-shogi"
    expect_launch "$plain/bin/ixo-shogi" "$plain/share/ixo-shogi/image" "plain prefix"

    # The game starts elsewhere, so a record named from the user's folder must reach it whole;
    # options and their values stay as they are, and after "--" everything is a file.
    mkdir -p "$scratch/user folder"
    arguments=$(cd "$scratch/user folder" && "$plain/bin/ixo-shogi" --mute --scale 2 \
        "my game.kifu" /abs/game.kif -- -odd | sed 1,3d)
    expected_arguments=$(printf '%s\n' --mute --scale 2 "$scratch/user folder/my game.kifu" \
        /abs/game.kif -- "$scratch/user folder/-odd")
    [ "$arguments" = "$expected_arguments" ] ||
        fail "the launcher passed on [$arguments], expected [$expected_arguments]"

    mkdir -p "$scratch/elsewhere"
    ln -s "$plain/bin/ixo-shogi" "$scratch/elsewhere/ixo-shogi"
    ln -s "$scratch/elsewhere/ixo-shogi" "$scratch/elsewhere/chained"
    expect_launch "$scratch/elsewhere/chained" "$plain/share/ixo-shogi/image" "through links"

    mv "$plain" "$scratch/moved prefix"
    expect_launch "$scratch/moved prefix/bin/ixo-shogi" "$scratch/moved prefix/share/ixo-shogi/image" \
        "moved prefix"

    # Without its pictures the launcher says so instead of opening an empty board.
    rm -rf "$scratch/moved prefix/share/ixo-shogi/image"
    if message=$(cd / && "$scratch/moved prefix/bin/ixo-shogi" 2>&1); then
        fail "launcher succeeded without pictures"
    else
        case $message in
        *"pictures are missing"*) ;;
        *) fail "launcher without pictures said: $message" ;;
        esac
    fi
fi

# Debian's games layout, chosen by the prefix /usr.
staged=$scratch/staged
if quiet_install env DESTDIR="$staged" cmake --install "$build" --prefix /usr; then
    usr=$staged/usr
    expect_executable "$usr/games/ixo-shogi"
    expect_executable "$usr/lib/games/ixo-shogi/ixo-shogi"
    expect_pictures "$usr/share/games/ixo-shogi/image"
    expect_sounds "$usr/share/games/ixo-shogi/sound"
    check_desktop_entry "$usr/share/applications/ixo-shogi.desktop"
    check_icons "$usr/share"
    [ ! -e "$usr/bin" ] || fail "the games layout installed into /usr/bin"
    install_probe "$usr/lib/games/ixo-shogi/ixo-shogi"
    expect_launch "$usr/games/ixo-shogi" "$usr/share/games/ixo-shogi/image" "games layout"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures install layout check(s) failed" >&2
    exit 1
fi
echo "install layout checks passed"
