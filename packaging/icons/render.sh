#!/usr/bin/env bash
# Renders the hicolor PNG sizes from quillbook.svg (needs rsvg-convert from librsvg2-bin).
# Run after changing the SVG and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" quillbook.svg -o "quillbook-$size.png"
done
