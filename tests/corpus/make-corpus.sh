#!/usr/bin/env bash
# Remakes the JPEG variants the tests keep as files because the image library cannot
# write them: a CMYK JPEG, one with a restart marker after every MCU row, and two
# coded arithmetically (sequential and progressive).
# Needs a build (for tamrex-make-photo), libjpeg-turbo-progs and imagemagick.
set -euo pipefail
cd "$(dirname "$0")"
bin=../../build/bin
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# 5 boards of 14 rows with 5-row gaps; counts 5 with BDLINE=100 THRESHOLD=110 PWIDTH=19.
"$bin/tamrex-make-photo" --width 200 --height 180 --boards 5 --board-rows 14 --gap-rows 5 \
  --quality 80 --seed 9 "$scratch/stack.jpg"
djpeg -pnm "$scratch/stack.jpg" > "$scratch/stack.ppm"
cjpeg -restart 1 -quality 80 "$scratch/stack.ppm" > stack-restart-markers.jpg
convert "$scratch/stack.jpg" -colorspace CMYK -quality 80 stack-cmyk.jpg
jpegtran -arithmetic "$scratch/stack.jpg" > stack-arithmetic.jpg
jpegtran -arithmetic -progressive "$scratch/stack.jpg" > stack-arithmetic-progressive.jpg
