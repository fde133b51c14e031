#!/usr/bin/env bash
# Renders the icon's PNG sizes from its one drawing, app/icons/lumora.svg:
# the hicolor sizes a desktop asks for and the 32 px window icon built into
# the editor. The PNGs are committed so that building needs no renderer;
# run this after changing the drawing (needs rsvg-convert, librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
svg=app/icons/lumora.svg
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "app/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "app/icons/${size}x${size}/lumora.png"
done
cp app/icons/32x32/lumora.png main_window/resources/lumora.png
