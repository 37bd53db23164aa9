#!/usr/bin/env bash
# qavel-cli textures as a level designer runs it on our demo level: the PNG files it promises,
# at their sizes, and the errors for a wrong piece number or a missing level; the pictures
# shipped in data/ are the ones view-images draws (a changed drawing must be shipped).
source "$(dirname "$0")/cli_lib.sh"

check "$cli" textures "$demo" "$scratch/out" --piece 1
expect "the pictures written" "atlas.png PNG 256x512
mosaic_128x128.png PNG 515x128
mosaic_64x16.png PNG 259x16
mosaic_64x32.png PNG 259x32
mosaic_64x48.png PNG 259x48
mosaic_64x64.png PNG 259x324
piece_1.png PNG 64x64" "$(cd "$scratch/out" && identify -format '%f %m %wx%h\n' ./*.png)"
refused "is not in the level" textures "$demo" "$scratch/bad" --piece 999999
refused "no such file" textures "$scratch/none.tr4" "$scratch/bad"
check "$cli" view-images "$scratch/images"
for picture in texture1.jpg colored.bmp; do
  check cmp "$scratch/images/$picture" "$data/$picture"
done
finish
