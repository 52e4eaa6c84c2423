#!/usr/bin/env bash
# Starts Quillmere on a virtual X screen with a window manager and saves a picture of its
# window, frame included. Needs xvfb, xauth, openbox, xdotool, x11-utils and imagemagick.
#   [DRAGSRC=PROGRAM] scripts/screenshot.sh [BUILD_DIR] [PICTURE]
# (defaults: build, docs/screenshot.png). With DRAGSRC, a drag source that carries the files
# named on its command line as file URLs, a few sample files are dropped onto the list first,
# the way a person drags them from a file manager.
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
sleep 1

# The client's place on the screen, then the frame's extents: left, right, top, bottom.
info=$(xwininfo -id "$window")
field() { sed -n "s/^ *$1: *//p" <<<"$info"; }
X=$(field "Absolute upper-left X") Y=$(field "Absolute upper-left Y")
WIDTH=$(field Width) HEIGHT=$(field Height)

if [ -n "${DRAGSRC:-}" ]; then
    # A short, fixed folder, so the picture shows names rather than a random temporary path.
    samples=/tmp/quillmere-art
    rm -rf "$samples"
    trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$samples"' EXIT
    folder="$samples/Spring catalogue"
    mkdir -p "$folder"
    names=(cover.psd "page 02 - contents.psd" "page 03 - garden chairs.psd" back.psd)
    for name in "${names[@]}"; do : >"$folder/$name"; done
    # The source shows at the top left; a press on it starts the drag, which ends in the
    # middle of the list after moving there in small steps, as a hand would.
    "$DRAGSRC" "${names[@]/#/$folder/}" &
    pids+=($!)
    xdotool search --sync --onlyvisible --name '^dragsrc$' >/dev/null
    sleep 1
    xdotool mousemove 40 40 mousedown 1
    targetX=$((X + 200)) targetY=$((Y + 70))
    for step in $(seq 1 20); do
        xdotool mousemove $((40 + (targetX - 40) * step / 20)) $((40 + (targetY - 40) * step / 20))
        sleep 0.05
    done
    xdotool mouseup 1
    sleep 1
    # Select the second entry, as after a click on it.
    xdotool mousemove $((X + 100)) $((Y + 47)) click 1
fi
# Out of the way, so that no control shows a hover highlight.
xdotool mousemove 1000 740
sleep 1
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS |
    sed -n 's/.*= *//p' | tr -d ',')
mkdir -p "$(dirname "$picture")"
import -window root -crop "$((WIDTH + left + right))x$((HEIGHT + top + bottom))+$((X - left))+$((Y - top))" \
    +repage "$picture"
echo "$picture: window at $X,$Y, client ${WIDTH}x${HEIGHT}, frame $left $right $top $bottom"
