#!/usr/bin/env bash
# Makes the seeds of fuzz_picture in tests/fuzz/corpus/picture: small pictures of every kind, each
# behind the byte that names its kind (0: the field detection, here behind an 8-byte header).
# Needs ImageMagick's convert.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
OUT="$ROOT/tests/fuzz/corpus/picture"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"

le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }

seed() {  # seed NAME KIND FILE
  { printf "\\x$(printf %02x "$2")"; cat "$3"; } >"$OUT/$1"
}

convert -size 16x12 gradient:red-blue -type Palette BMP3:"$WORK/p8.bmp"
convert -size 16x12 gradient:red-blue -type Palette -compress RLE BMP3:"$WORK/rle8.bmp"
convert -size 9x5 gradient:yellow-green -type TrueColor BMP3:"$WORK/rgb24.bmp"
convert -size 16x16 xc:none -fill red -draw 'circle 8,8 8,2' -define icon:auto-resize=16 "$WORK/bitmap.ico"
# An icon whose one image is a PNG file: the directory written here.
convert -size 16x16 xc:none -fill red -draw 'circle 8,8 8,2' PNG32:"$WORK/icon.png"
{
  printf '\x00\x00\x01\x00\x01\x00\x10\x10\x00\x00\x01\x00\x20\x00'
  le32 "$(stat -c %s "$WORK/icon.png")"
  le32 22
  cat "$WORK/icon.png"
} >"$WORK/png.ico"
convert -size 24x16 gradient:white-navy -quality 70 "$WORK/baseline.jpg"
convert -size 24x16 gradient:white-navy -quality 70 -interlace JPEG "$WORK/progressive.jpg"
tail -c +23 "$ROOT/resources/EMPTYREPORT.cvp" >"$WORK/blank.emf"  # the drawing of the blank report
{ printf '\x10\x27\x00\x00\x07\x00\x00\x00'; cat "$WORK/p8.bmp"; } >"$WORK/header8.bmp"

seed bitmap-palette8 1 "$WORK/p8.bmp"
seed bitmap-rle8 1 "$WORK/rle8.bmp"
seed bitmap-rgb24 1 "$WORK/rgb24.bmp"
seed icon-bitmap 3 "$WORK/bitmap.ico"
seed icon-png 3 "$WORK/png.ico"
seed jpeg-baseline 4 "$WORK/baseline.jpg"
seed jpeg-progressive 4 "$WORK/progressive.jpg"
seed metafile-blank 2 "$WORK/blank.emf"
seed field-bitmap-header8 0 "$WORK/header8.bmp"
seed field-jpeg 0 "$WORK/baseline.jpg"
