#!/bin/sh
# Renders the ZEM2 artwork from the SVG sources into resources/, copies the Roboto Medium
# typeface with its licence, and rebuilds the review pictures in tools/artwork/.
#
#   tools/artwork/render.sh            regenerate svg/ from gen_svg.py, then render
#   tools/artwork/render.sh --no-gen   render svg/ as it stands (after editing an SVG by hand)
#
# Needs: librsvg2-bin (rsvg-convert), libjpeg-turbo-progs (cjpeg), python3, fonts-roboto-unhinted.
# The output is deterministic: the same sources give byte-identical files.
set -eu
export PYTHONDONTWRITEBYTECODE=1

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
RES="$ROOT/resources"
SVG="$HERE/svg"
FONT_SRC=/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Medium.ttf
JPEG_QUALITY=90

for tool in rsvg-convert cjpeg python3 fc-match; do
    command -v "$tool" >/dev/null 2>&1 || { echo "render.sh: $tool is missing" >&2; exit 1; }
done
case "$(fc-match -f '%{file}' 'Roboto:medium')" in
    *Roboto-Medium.ttf) ;;
    *) echo "render.sh: fontconfig does not resolve Roboto Medium; install fonts-roboto-unhinted" >&2; exit 1 ;;
esac

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT INT TERM
mkdir -p "$RES"
cd "$HERE"

if [ "${1:-}" != "--no-gen" ]; then
    python3 gen_svg.py
fi

# Skins and scope backgrounds: baseline JPEG, three components, no chroma subsampling so the
# teal and salmon details stay clean at full size.
for name in Skin-Light Skin-Dark Scope-Light Scope-Dark; do
    rsvg-convert "$SVG/$name.svg" -o "$TMP/$name.png"
    python3 pngtool.py ppm "$TMP/$name.png" "$TMP/$name.ppm"
    cjpeg -quality "$JPEG_QUALITY" -sample 1x1 -optimize -dct int -outfile "$RES/$name.jpg" "$TMP/$name.ppm"
done

# Everything else: 8-bit RGBA PNG.
for name in ZemSwitch-On ZemSwitch-Off SkinSwitch-Light SkinSwitch-Dark Icon-Info Icon-Help \
            Icon-Close Product-Wordmark Headphone-Badge Slider-Thumb; do
    rsvg-convert "$SVG/$name.svg" -o "$TMP/$name.png"
    python3 pngtool.py rgba "$TMP/$name.png" "$RES/$name.png"
done

# Typeface and its licence.
cp "$FONT_SRC" "$RES/Roboto-Medium.ttf"
{
    echo "Roboto-Medium.ttf"
    echo "Copyright 2015 Google Inc."
    echo "Licensed under the Apache License, Version 2.0 (full text below)."
    echo "Source: Debian package fonts-roboto-unhinted, $FONT_SRC"
    echo "(upstream https://github.com/google/roboto), copied unmodified."
    echo
    cat /usr/share/common-licenses/Apache-2.0
} > "$RES/Roboto-LICENSE.txt"

# Review pictures: the pictures composited as the editor places them.
python3 make_review.py "$RES" "$TMP"
for name in review review-off review-about; do
    rsvg-convert "$TMP/$name.svg" -o "$TMP/$name.png"
    python3 pngtool.py rgba "$TMP/$name.png" "$HERE/$name.png"
done

python3 check.py "$RES"
