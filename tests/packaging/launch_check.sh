#!/usr/bin/env bash
# Starts an installed game from / in a private Xvfb, the way a player would start it, and
# checks that its window appears with the board and pieces drawn from the installed
# pictures, that Escape ends it, and that it exits with status 0.
#
# Usage: tests/packaging/launch_check.sh PICTURE_DIR COMMAND [ARGUMENT...]
#   PICTURE_DIR: the installed pictures, to compare the screen with.
# Environment: ARTIFACTS=DIR keeps a screenshot of the window there.
# Needs Xvfb, xdotool and /usr/bin/python3 with PIL.
set -euo pipefail

pictures=$1
shift
here=$(cd "$(dirname "$0")" && pwd -P)
scratch=$(mktemp -d)
xvfb_pid=
game_pid=

cleanup() {
    if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# A child that has ended stays a zombie until waited for, and kill -0 still reaches it.
running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$scratch/game.log" ]; then
        echo "--- the game's output:" >&2
        cat "$scratch/game.log" >&2
    fi
    exit 1
}

# Xvfb picks a free display itself and writes its number to the file.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$scratch/display" \
    >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
    sleep 0.1
done
[ -s "$scratch/display" ] || fail "Xvfb did not report its display"
display=:$(tr -d '\n' <"$scratch/display")
export DISPLAY=$display

# SDL's dummy audio driver, so that the check is the same with or without a sound card.
# Game records go to the scratch folder, never into the real home.
(cd / && exec env SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" "$@") >"$scratch/game.log" 2>&1 &
game_pid=$!
echo "started '$*' from / on display $display"

# SDL 2 underneath sdl12-compat maps and destroys a short-lived window before the real one,
# so a window counts only once it is still there to be measured at the game's size.
window=
for _ in $(seq 200); do
    running "$game_pid" || fail "the game exited before its window appeared"
    for candidate in $(xdotool search --onlyvisible --name '^Ixo' 2>/dev/null || true); do
        geometry=$(xdotool getwindowgeometry --shell "$candidate" 2>/dev/null) || continue
        eval "$geometry"
        if [ "$WIDTH" -eq 800 ] && [ "$HEIGHT" -eq 600 ]; then
            window=$candidate
            break 2
        fi
    done
    sleep 0.1
done
[ -n "$window" ] || fail "no 800 x 600 window captioned Ixo... appeared"
echo "window $window at ($X, $Y), $WIDTH x $HEIGHT"

screenshot_args=()
if [ -n "${ARTIFACTS:-}" ]; then
    mkdir -p "$ARTIFACTS"
    screenshot_args=(--screenshot "$ARTIFACTS/launch-check.png")
fi
/usr/bin/python3 "$here/check_window.py" "$display" "$X" "$Y" "$pictures" "${screenshot_args[@]}" ||
    fail "the board is not drawn as expected"

# No window manager gives the window the keyboard, so focus it before pressing Escape.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key Escape
for _ in $(seq 100); do
    running "$game_pid" || break
    sleep 0.1
done
running "$game_pid" && fail "the game did not end within 10 seconds of Escape"
status=0
wait "$game_pid" || status=$?
game_pid=
[ "$status" -eq 0 ] || fail "the game exited with status $status after Escape"
echo "Escape ended the game with status 0"
