#!/usr/bin/env bash
# Regenerates the program's artwork in this folder:
#   banner.jpg                 326 x 103 title banner, gold relief lettering on black
#   banner@2x.jpg              the same drawn for twice the pixel density, 652 x 206
#   icon.png                   32 px window and program icon, 16 colours
#   icon-{48,64,128,256}.png   the same design for large and high-DPI uses
#   pellinova.ico              the Windows executable's icon
# icon.svg is the hand-drawn original of the icon; everything else is made from it or from an
# installed font. Needs ImageMagick (convert), librsvg2-bin (rsvg-convert), icoutils (icotool)
# and fontconfig.
set -euo pipefail
cd "$(dirname "$0")"

for tool in convert rsvg-convert icotool fc-match; do
    command -v "$tool" >/dev/null || {
        echo "make_artwork.sh: $tool is missing" >&2
        exit 1
    }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- Banner ---------------------------------------------------------------------------------

font=$(fc-match -f '%{file}' 'DejaVu Serif:bold:width=75')
case "$font" in
*DejaVuSerifCondensed-Bold*) ;;
*)
    echo "make_artwork.sh: DejaVu Serif Condensed Bold is not installed (fonts-dejavu-extra)" >&2
    exit 1
    ;;
esac

# The version beside the name, as the captions show it: from the project's one definition.
version=$(sed -n 's/^project(pellinova VERSION \([0-9]*\)\.\([0-9]*\)\.[0-9]*\.\([0-9]*\).*/Ver\1.\2\3/p' \
    ../../CMakeLists.txt)

# Every length of the banner is in its own pixels times this, 1 or 2.
scale=1
px() {
    echo "$(($1 * scale))"
}
pxf() { # a fractional length
    awk -v v="$1" -v s="$scale" 'BEGIN { print v * s }'
}

# gold_lettering TEXT POINTSIZE OUT: gold relief lettering on a transparent ground, with a
# 4 px margin for the outline.
gold_lettering() {
    local text=$1 size=$2 out=$3 w h
    convert -background black -fill white -font "$font" -pointsize "$(px "$size")" \
        label:"$text" -trim +repage -bordercolor black -border "$(px 4)" "$work/mask.png"
    read -r w h < <(convert "$work/mask.png" -format '%w %h\n' info:)
    # Polished gold: bright at the top, a dark band just under the middle, bright at the foot.
    convert -size 1x24 gradient:'#fffbe6'-'#ffd75e' \
        -size 1x20 gradient:'#ffd75e'-'#b97d16' \
        -size 1x6 gradient:'#b97d16'-'#7a4a08' \
        -size 1x20 gradient:'#8f5c0c'-'#e9b23a' \
        -size 1x20 gradient:'#e9b23a'-'#fff0a8' \
        -append -resize "1x$h!" -scale "${w}x$h!" "$work/gold.png"
    # The relief: the softened letter shapes lit from the top left.
    convert "$work/mask.png" -blur "0x$(pxf 1.8)" -shade 135x40 -auto-level -level 10%,100% \
        "$work/bevel.png"
    convert "$work/gold.png" "$work/bevel.png" -compose Overlay -composite \
        "$work/mask.png" -alpha off -compose CopyOpacity -composite "$work/face.png"
    convert "$work/mask.png" -morphology Dilate "Disk:$(pxf 1.8)" -blur "0x$(pxf 0.6)" \
        "$work/outline.png"
    convert -size "${w}x$h" xc:'#2b1a02' "$work/outline.png" -alpha off \
        -compose CopyOpacity -composite "$work/face.png" -compose Over -composite "$out"
}

# draw_banner OUT: the banner at the current scale.
draw_banner() {
# The two words share a baseline; neither has a descender, so aligning the trimmed bottoms
# is enough.
gold_lettering 'Pellinova' 44 "$work/name.png"
gold_lettering "$version" 26 "$work/version.png"
convert -background none "$work/name.png" -size "$(px 2)x1" xc:none "$work/version.png" \
    -gravity South +append "$work/title.png"
read -r tw th < <(convert "$work/title.png" -format '%w %h\n' info:)

banner_w=$(px 326) banner_h=$(px 103) title_top=$(px 16)
reflection_h=$((th * 7 / 10))
if ((tw > banner_w || title_top + th + reflection_h > banner_h)); then
    echo "make_artwork.sh: the title (${tw} x ${th}) does not fit the banner" >&2
    exit 1
fi

# The reflection: the title upside down, fading from half strength to nothing.
convert "$work/title.png" -flip \
    \( +clone -alpha extract \( -size "${tw}x$th" gradient:'gray(50%)'-black \) \
    -compose Multiply -composite \) \
    -alpha off -compose CopyOpacity -composite \
    -crop "${tw}x${reflection_h}+0+0" +repage "$work/reflection.png"

left=$(((banner_w - tw) / 2))
# The outline's margin leaves 2 px of air under the letters; the reflection starts there.
reflection_top=$((title_top + th - $(px 2)))
convert -size "${banner_w}x$banner_h" xc:black \
    "$work/title.png" -geometry "+$left+$title_top" -compose Over -composite \
    "$work/reflection.png" -geometry "+$left+$reflection_top" -compose Over -composite \
    -strip -sampling-factor 1x1 -quality 92 "$1"
}

draw_banner banner.jpg
scale=2
draw_banner banner@2x.jpg

# --- Icon -----------------------------------------------------------------------------------

for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" icon.svg -o "$work/icon-$size.png"
done
for size in 48 64 128 256; do
    convert "$work/icon-$size.png" -strip "icon-$size.png"
done

# The 32 px icon keeps to 16 colours: the design's own 15 colours plus transparency, without
# dithering, so each area stays one flat colour.
palette=(
    '#0b1538' '#13245e' '#1f3a8a' '#2747a0' '#3156b8' # cover and spine
    '#fdf6dc' '#8a8068'                               # pages
    '#d8342c' '#2f9e44' '#e8822a'                     # index tabs
    '#4a2e00' '#8a6218' '#c98f16' '#f5c53a' '#fff4b8' # the gold letter
)
swatches=()
for colour in "${palette[@]}"; do
    swatches+=("xc:$colour")
done
convert "${swatches[@]}" +append "$work/palette.png"
convert \( "$work/icon-32.png" -background "${palette[0]}" -alpha remove \
    +dither -remap "$work/palette.png" \) \
    \( "$work/icon-32.png" -alpha extract -threshold 50% \) \
    -alpha off -compose CopyOpacity -composite \
    -strip -define png:bit-depth=4 -define png:color-type=3 PNG8:icon.png

# icotool stores each picture in as few bits as hold it, so the 32 px one stays 16 colours for
# Explorer and the title bar (ImageMagick would make it 32-bit); the 256 px one as PNG.
icotool -c -o pellinova.ico "$work/icon-16.png" icon.png "$work/icon-48.png" \
    -r "$work/icon-256.png"
