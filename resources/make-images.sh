#!/bin/sh
# Draws Quorbel's own images with ImageMagick: the application icon, the two
# pointer images and the sample files. Run it again after changing a drawing.
set -eu
cd "$(dirname "$0")"
IM=${IM:-convert-im6.q16}
mkdir -p Samples

# Application icon: a blue tile with a picture turning into an icon grid.
$IM -size 256x256 xc:none \
    -fill '#2b6cb0' -draw 'roundrectangle 8,8 247,247 40,40' \
    -fill '#ffffff' -draw 'roundrectangle 40,56 152,168 12,12' \
    -fill '#f6ad55' -draw 'circle 72,88 84,88' \
    -fill '#48bb78' -draw 'polygon 48,160 88,112 112,140 128,124 146,160' \
    -fill '#ffffff' -draw 'polygon 160,104 196,104 196,88 228,120 196,152 196,136 160,136' \
    -fill '#bee3f8' -draw 'rectangle 168,176 200,208' -draw 'rectangle 208,176 224,192' \
    -draw 'rectangle 208,200 216,208' \
    quorbel.png

# Pointer shown while a row is carried along the list.
$IM -size 32x32 xc:none -fill '#1a202c' -stroke white -strokewidth 1 \
    -draw 'polygon 16,1 22,8 18,8 18,14 24,14 24,10 31,16 24,22 24,18 18,18 18,24 22,24 16,31 10,24 14,24 14,18 8,18 8,22 1,16 8,10 8,14 14,14 14,8 10,8' \
    drag.ico

# Hand pointer over the push buttons.
$IM -size 32x32 xc:none -fill white -stroke black -strokewidth 1 \
    -draw 'roundrectangle 10,2 15,18 2,2' \
    -draw 'roundrectangle 15,10 20,20 2,2' -draw 'roundrectangle 20,11 25,21 2,2' \
    -draw 'roundrectangle 25,13 29,22 2,2' \
    -draw 'polygon 10,16 4,12 3,15 10,27 27,27 29,20 10,18' \
    HAND-M.CUR

# Samples: different sizes, transparent backgrounds, shapes that read as icons.
$IM -size 512x512 xc:none -fill '#ecc94b' -stroke '#b7791f' -strokewidth 8 \
    -draw 'polygon 256,24 318,186 490,190 354,296 404,466 256,366 108,466 158,296 22,190 194,186' \
    Samples/star.png
$IM -size 256x256 xc:none -fill '#e53e3e' \
    -draw 'circle 84,92 84,40' -draw 'circle 172,92 172,40' \
    -draw 'polygon 36,112 128,228 220,112 128,80' \
    Samples/heart.png
$IM -size 128x128 xc:none -fill '#f6ad55' -draw 'roundrectangle 8,20 60,44 6,6' \
    -fill '#ed8936' -draw 'roundrectangle 8,32 120,112 8,8' \
    Samples/folder.png
$IM -size 64x64 xc:none -fill '#38a169' -draw 'circle 32,32 32,2' \
    -stroke white -strokewidth 7 -fill none -draw 'polyline 17,33 28,44 47,22' \
    Samples/check.png
$IM -size 48x48 xc:none -fill '#4a5568' -draw 'polygon 24,4 44,22 40,22 40,44 8,44 8,22 4,22' \
    -fill '#f7fafc' -draw 'rectangle 19,30 29,44' \
    Samples/house.png
