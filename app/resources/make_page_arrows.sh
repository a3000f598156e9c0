#!/bin/sh
# Draws the result list's two picture strips with ImageMagick: four 32 x 32
# states side by side (normal, pressed, mouse over, disabled), blue arrows and a
# grey one for the disabled state. Run from this folder to redraw them.
set -e

# cell X_OFFSET FILL STROKE BACKGROUND SHIFT POLYGON
strip() {
  out=$1; shift
  convert -size 128x32 xc:none \
    -stroke '#7f9db9' -fill '#f4f2ea' -draw 'roundrectangle 1,1 30,30 5,5' \
    -stroke '#2b4f8a' -fill '#cfd9ea' -draw 'roundrectangle 33,1 62,30 5,5' \
    -stroke '#3c7fd8' -fill '#eaf3ff' -draw 'roundrectangle 65,1 94,30 5,5' \
    -stroke '#c0c0c0' -fill '#f0f0f0' -draw 'roundrectangle 97,1 126,30 5,5' \
    -stroke '#1c4f9c' -fill '#3b78d0' -draw "polygon $1" \
    -stroke '#12386f' -fill '#1f559f' -draw "polygon $2" \
    -stroke '#2a6fd0' -fill '#6aa6f0' -draw "polygon $3" \
    -stroke '#8c8c8c' -fill '#b4b4b4' -draw "polygon $4" \
    -depth 8 -define png:exclude-chunks=date,time -strip "$out"
}

# Left-pointing arrows (previous page); the pressed one sits one pixel lower right.
strip page_previous.png \
  "8,16 18,7 18,12 24,12 24,20 18,20 18,25" \
  "41,17 51,8 51,13 57,13 57,21 51,21 51,26" \
  "72,16 82,7 82,12 88,12 88,20 82,20 82,25" \
  "104,16 114,7 114,12 120,12 120,20 114,20 114,25"
# Right-pointing arrows (next page).
strip page_next.png \
  "24,16 14,7 14,12 8,12 8,20 14,20 14,25" \
  "57,17 47,8 47,13 41,13 41,21 47,21 47,26" \
  "88,16 78,7 78,12 72,12 72,20 78,20 78,25" \
  "120,16 110,7 110,12 104,12 104,20 110,20 110,25"
