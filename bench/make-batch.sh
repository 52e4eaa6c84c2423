#!/usr/bin/env bash
# make-batch.sh DIR COUNT WIDTH HEIGHT [cmyk PROFILE | lab]: fills DIR with COUNT copies of one
# generated 8-bit PSD (a noisy gradient, so the JPEG step has real work), for quillmere-bench:
# RGB without a profile; or CMYK with the CMYK ICC profile PROFILE embedded; or Lab.
set -euo pipefail
[ $# -ge 4 ] || { echo "usage: $0 DIR COUNT WIDTH HEIGHT [cmyk PROFILE | lab]" >&2; exit 2; }
dir=$1 count=$2 width=$3 height=$4 mode=${5:-rgb}
mkdir -p "$dir"
first="$dir/b0000.psd"
picture=(convert -size "${width}x${height}" gradient:'#c04020-#2060d0' -attenuate 0.4
    +noise Gaussian -depth 8)

# Big-endian bytes of a number, as printf escapes.
be() { local n=$1 bytes=$2 out=""; for ((i = bytes - 1; i >= 0; i--)); do
    out+=$(printf '\\x%02x' $(((n >> (8 * i)) & 255))); done; printf '%s' "$out"; }

case $mode in
rgb) "${picture[@]}" "$first" ;;
cmyk) "${picture[@]}" -colorspace CMYK -profile "$6" "$first" ;;
lab)
    # ImageMagick writes no Lab PSD: a raw one, its three planes taken from the RGB picture.
    {
        printf "8BPS$(be 1 2)$(be 0 6)$(be 3 2)$(be "$height" 4)$(be "$width" 4)$(be 8 2)$(be 9 2)"
        printf "$(be 0 4)$(be 0 4)$(be 0 4)$(be 0 2)"
        "${picture[@]}" -separate gray:-
    } >"$first"
    ;;
*) echo "unknown mode: $mode" >&2; exit 2 ;;
esac
for ((i = 1; i < count; i++)); do
    cp "$first" "$(printf '%s/b%04d.psd' "$dir" "$i")"
done
