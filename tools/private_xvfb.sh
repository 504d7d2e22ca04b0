# shellcheck shell=bash
# Sourced by the measuring scripts, which must not touch the user's screen: a scratch folder
# laid out like an installed game's (a run folder beside a link to the pictures), the frame
# probe built into it, and an Xvfb of its own that already answers on a free display.
# Expects $root (the checkout); sets $work, $xvfb and $display. Both go away on exit through
# private_xvfb_cleanup; a script that starts processes of its own ends them and then calls it.
# With SCALE=N in the environment the game is measured at --scale N: the scripts start it with
# "${scale_args[@]}", and the screen is made large enough for the enlarged window.
# With DEPTH=16 the screen has 16 bits a pixel, the game's own depth, instead of 24.
# Needs Xvfb, xdpyinfo (x11-utils), gcc and SDL 1.2's headers (pkg-config sdl).

work=$(mktemp -d)
xvfb=
private_xvfb_cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap private_xvfb_cleanup EXIT
# shellcheck disable=SC2154  # root is the sourcing script's
# The probe reads the screen surface, so it needs SDL's headers (either flavour: same layout).
# shellcheck disable=SC2046  # pkg-config's answer is a list of words
gcc -O2 -shared -fPIC -o "$work/frame_probe.so" "$root/tools/frame_probe.c" \
    $(pkg-config --cflags sdl) -ldl
mkdir "$work/run"
ln -s "$root/image" "$work/image"

scale=${SCALE:-1}
scale_args=()
[ "$scale" = 1 ] || scale_args=(--scale "$scale")
# shellcheck disable=SC2034  # read by the sourcing scripts
screen_size=$((1024 * scale))x$((768 * scale))

depth=${DEPTH:-24}
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 "${screen_size}x${depth}" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    display=$(head -n1 "$work/display" 2>/dev/null || true)
    [ -n "$display" ] && break
    sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
# The number comes before the server takes connections; wait until it answers.
for _ in $(seq 100); do
    xdpyinfo -display ":$display" >/dev/null 2>&1 && break
    sleep 0.1
done
