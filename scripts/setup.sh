#!/usr/bin/env bash
# Installs the Debian packages Quillmere needs to build, test and run, when any is missing.
# Safe to run again: it installs nothing that is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config     # the build (g++ brings ASan and UBSan)
    clang libclang-rt-14-dev             # the fuzz targets: clang's libFuzzer and sanitizers
    qt6-base-dev libdevil-dev            # the toolkit and the image library
    libmagick++-6.q16-dev imagemagick    # the second decoder; convert for fixtures and baselines
    zlib1g-dev libjpeg62-turbo-dev       # the streaming reader of large files
    liblcms2-dev libgs-common            # colour management; CMYK and RGB profiles for tests
    libexiv2-dev nettle-dev              # EXIF, IPTC and XMP into the JPEG file; their digests
    libimage-exiftool-perl               # reads the JPEG files' metadata back in tests
    fonts-liberation                     # metric-compatible stand-in for Arial
    xvfb xauth openbox xdotool x11-utils # a real X desktop for screenshots
    desktop-file-utils                   # checks the menu entry
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "These Debian packages are missing and I cannot install them (not root, no sudo):" >&2
    echo "  ${missing[*]}" >&2
    echo "Install them with: apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! "${as_root[@]}" apt-get update -qq || ! "${as_root[@]}" apt-get install -y -qq "${missing[@]}"; then
    echo "Could not install: ${missing[*]}" >&2
    exit 1
fi
