#!/usr/bin/env bash
# Starts Quillmere on a virtual X screen with a window manager and saves a picture of its
# window, frame included. Needs xvfb, xauth, openbox, xdotool, x11-utils and imagemagick.
#   scripts/screenshot.sh [BUILD_DIR] [PICTURE]     (defaults: build, docs/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
picture=$(realpath -m "${2:-docs/screenshot.png}")

if [ -z "${QUILLMERE_ON_XVFB:-}" ]; then
    QUILLMERE_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$picture"
fi

pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
openbox &
pids+=($!)
sleep 1
"$build/bin/quillmere" &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^Quillmere$' | head -n 1)
# Out of the way, so that no control shows a hover highlight.
xdotool mousemove 1000 740
sleep 1

# The client's place on the screen, then the frame's extents: left, right, top, bottom.
info=$(xwininfo -id "$window")
field() { sed -n "s/^ *$1: *//p" <<<"$info"; }
X=$(field "Absolute upper-left X") Y=$(field "Absolute upper-left Y")
WIDTH=$(field Width) HEIGHT=$(field Height)
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS |
    sed -n 's/.*= *//p' | tr -d ',')
mkdir -p "$(dirname "$picture")"
import -window root -crop "$((WIDTH + left + right))x$((HEIGHT + top + bottom))+$((X - left))+$((Y - top))" \
    +repage "$picture"
echo "$picture: window at $X,$Y, client ${WIDTH}x${HEIGHT}, frame $left $right $top $bottom"
