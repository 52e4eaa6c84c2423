#!/usr/bin/env bash
# make-batch.sh DIR COUNT WIDTH HEIGHT: fills DIR with COUNT copies of one generated 8-bit RGB
# PSD (a noisy gradient, so the JPEG step has real work), for quillmere-bench.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 DIR COUNT WIDTH HEIGHT" >&2; exit 2; }
dir=$1 count=$2 width=$3 height=$4
mkdir -p "$dir"
first="$dir/b0000.psd"
convert -size "${width}x${height}" gradient:'#c04020-#2060d0' -attenuate 0.4 +noise Gaussian \
    -depth 8 "$first"
for ((i = 1; i < count; i++)); do
    cp "$first" "$(printf '%s/b%04d.psd' "$dir" "$i")"
done
