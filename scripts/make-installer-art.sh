#!/usr/bin/env bash
# Draws the installer's pictures from the application icon and writes
# installer/art/wizard.bmp (164 x 314, the welcome and finish pages) and
# installer/art/header.bmp (150 x 57, the header of the other pages), as the
# 24-bit bitmaps NSIS takes. Needs ImageMagick. The bitmaps are committed; run
# this only after changing the icon.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The largest image of the icon (256 px).
convert 'runner/resources/app_icon.ico[7]' "PNG32:$work/icon.png"

# The wizard picture: the icon's indigo-to-teal gradient, the icon in white
# space near the top and the product name below it.
convert -size 164x314 -define gradient:direction=South gradient:'#4a4cdd-#108f8e' \
  \( "$work/icon.png" -resize 96x96 -background none -gravity center -extent 120x120 \
     \( -size 120x120 xc:none -fill white -draw 'roundrectangle 0,0,119,119,26,26' \) \
     -compose DstOver -composite \) \
  -gravity north -geometry +0+56 -compose Over -composite \
  -fill white -font DejaVu-Sans-Bold -pointsize 17 -gravity north -annotate +0+196 'Quorvane AI' \
  -background white -alpha remove -type TrueColor "BMP3:installer/art/wizard.bmp"

# The header: the icon on the right of a white band, as Windows' wizards do.
convert -size 150x57 xc:white \
  \( "$work/icon.png" -resize 45x45 \) -gravity east -geometry +8+0 -composite \
  -background white -alpha remove -type TrueColor "BMP3:installer/art/header.bmp"
