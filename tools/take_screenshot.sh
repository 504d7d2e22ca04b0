#!/usr/bin/env bash
# Plays a short game in a virtual X server and composes four moments of it into
# docs/screenshot.png: the start, Blue's rook selected, Red's silver selected with a capture
# in reach, and a position with a promoted piece on each side.
#
# Usage: tools/take_screenshot.sh [game binary] [output.png]
# Needs Xvfb, xdotool, ImageMagick's import and python3-pil. The display number can be
# changed with SCREENSHOT_DISPLAY (default :59).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$repo/build/ixo-shogi}")
output=$(realpath -m "${2:-$repo/docs/screenshot.png}")
display=${SCREENSHOT_DISPLAY:-:59}
scratch=$(mktemp -d)

xvfb_pid=
game_pid=
cleanup() {
    if [ -n "$game_pid" ]; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
wait_for() {
    for _ in $(seq 50); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
# A server that finds the display taken exits at once, while xdotool may still reach the
# other one; so our own server has to be alive as well.
if ! wait_for xdotool getmouselocation || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "could not start Xvfb on $display; set SCREENSHOT_DISPLAY to a free display" >&2
    exit 1
fi

# The game reads its pictures from ../image/, so it runs from a folder next to image/.
# The X11 driver is named so that SDL cannot fall back to drawing somewhere else.
# The moves played here are no game of anyone's: their record stays in the scratch folder.
(cd "$repo/tools" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
    exec "$binary" >/dev/null) &
game_pid=$!
wait_for xdotool search --name Ixo || { echo "the game opened no window" >&2; exit 1; }
sleep 0.5

# The game sees a button only when it is up in one frame after being down in an earlier one,
# so every press is held for a moment.
press() {
    xdotool mousemove "$1" "$2"
    sleep 0.15
    xdotool mousedown "$3"
    sleep 0.1
    xdotool mouseup "$3"
    sleep 0.3
}
click() { press $((92 + 56 * $1)) $((76 + 56 * $2)) 1; }
move() { click "$1" "$2"; click "$3" "$4"; }
cancel() { press 700 580 3; }
shot() {
    xdotool mousemove 1000 700
    sleep 0.3
    import -window root -crop 800x600+0+0 +repage "$scratch/$1.png"
}

shot start
click 7 7
shot blue
cancel
move 2 6 2 5
move 6 2 6 3
move 1 7 7 1
click 6 0
shot red
cancel
move 1 2 1 3
move 7 1 8 0
move 1 3 1 4
move 7 6 7 5
move 1 4 1 5
move 7 5 7 4
move 1 5 1 6
click 8 0
shot promoted

/usr/bin/python3 - "$scratch" "$output" <<'EOF'
import sys
from PIL import Image, ImageDraw, ImageFont

scratch, output = sys.argv[1:]
shots = [("start", "The start: Blue to move"),
         ("blue", "Blue selects its rook"),
         ("red", "Red selects a silver, which may take the horse"),
         ("promoted", "Promoted pieces: Blue's horse is selected, Red has a tokin")]
caption = 30
sheet = Image.new("RGB", (1600 + 8, 2 * (600 + caption) + 8), (12, 14, 18))
font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 17)
draw = ImageDraw.Draw(sheet)
for index, (name, text) in enumerate(shots):
    x = (index % 2) * 808
    y = (index // 2) * (600 + caption + 8)
    draw.text((x + 8, y + 6), text, font=font, fill=(220, 214, 200))
    sheet.paste(Image.open(f"{scratch}/{name}.png").convert("RGB"), (x, y + caption))
sheet.save(output, optimize=True)
EOF
echo "wrote $output"
