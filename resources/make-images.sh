#!/bin/sh
# Renders the drawings in art/ into the images the app ships. Run it after changing a drawing
# and commit what it writes; the build only copies the results. Needs ImageMagick.
set -eu
cd "$(dirname "$0")"

render() { # drawing, output, extra options
    convert -background none $3 "art/$1.svg" -define png:exclude-chunks=date,time "$2"
}

render quillmere icons/quillmere-128.png ""
render quillmere icons/quillmere.png "-resize 32x32"
for name in add-files add-folder convert; do
    render "$name" "icons/$name.png" ""
done

# Pointers are drawn pixel-sharp, as pointers usually are.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
render hand-m "$tmp/hand.png" "+antialias"
render drag "$tmp/drag.png" "+antialias"
convert "$tmp/drag.png" drag.ico

# ImageMagick writes an icon; a cursor is the same file with type 2 and the hot spot where an
# icon keeps its planes and bit count. The hot spot is the tip of the index finger.
convert "$tmp/hand.png" ICO:HAND-M.CUR
patch() { # offset, two little-endian bytes as octal escapes
    printf "$2" | dd of=HAND-M.CUR bs=1 seek="$1" conv=notrunc status=none
}
patch 2 '\002\000'
patch 10 '\013\000'
patch 12 '\001\000'
