#!/usr/bin/env bash
# Draws the application icon and writes runner/resources/app_icon.ico: the
# sizes Explorer, Start, the taskbar and Alt+Tab ask for at 100 % to 200 %
# (16 to 64 px as bitmaps) and 256 px PNG-compressed. Needs ImageMagick and
# python3. The .ico is committed; run this only to change the icon.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A rounded square with a diagonal indigo-to-teal gradient and a white "Q",
# drawn at 1024 px and scaled down for each size.
convert -size 1024x1024 -define gradient:direction=SouthEast gradient:'#4a4cdd-#108f8e' \
  \( -size 1024x1024 xc:none -fill white -draw 'roundrectangle 0,0,1023,1023,210,210' \) \
  -compose CopyOpacity -composite \
  -fill none -stroke white -strokewidth 92 -draw 'circle 472,472 472,250' \
  -stroke white -strokewidth 96 -draw 'line 610,610 790,790' \
  "$work/master.png"

sizes=(16 20 24 32 40 48 64 256)
for size in "${sizes[@]}"; do
  convert "$work/master.png" -filter Lanczos -resize "${size}x${size}" -strip \
    "PNG32:$work/$size.png"
done

# ICO container: the small images as 32-bit bitmaps (with the AND mask that
# the format asks for), the 256 px image as the PNG itself.
python3 - "$work" "${sizes[@]}" > runner/resources/app_icon.ico <<'PYTHON'
import struct, subprocess, sys
work, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]

def bitmap(size):
    rgba = subprocess.run(["convert", f"{work}/{size}.png", "-flip", "RGBA:-"],
                          check=True, capture_output=True).stdout
    bgra = bytearray()
    for i in range(0, len(rgba), 4):
        r, g, b, a = rgba[i:i + 4]
        bgra += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(bgra) + mask_row * size, 0, 0, 0, 0)
    return header + bytes(bgra) + bytes(mask_row * size)

images = []
for size in sizes:
    if size >= 256:
        images.append(open(f"{work}/{size}.png", "rb").read())
    else:
        images.append(bitmap(size))
out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in zip(sizes, images):
    out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
sys.stdout.buffer.write(out + b"".join(images))
PYTHON
