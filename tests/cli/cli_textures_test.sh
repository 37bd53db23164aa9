#!/usr/bin/env bash
# qavel-cli textures as a level designer runs it on our demo level: the PNG files it promises,
# at their sizes, and the errors for a wrong piece number or a missing level; the pictures
# shipped in data/ are the ones view-images draws (a changed drawing must be shipped).
source "$(dirname "$0")/cli_lib.sh"

check "$cli" textures "$demo" "$scratch/out" --piece 1
python3 - "$scratch/out" "$("$cli" info "$demo" | sed -n 's/^num_pages: //p')" <<'PY' || no "the PNG files"
import os, struct, sys
out, pages = sys.argv[1], int(sys.argv[2])
def size(name):
    with open(os.path.join(out, name), "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", name
    return struct.unpack(">II", head[16:24])
assert size("atlas.png") == (256, 256 * pages), size("atlas.png")
w, h = size("piece_1.png")
assert 1 <= w <= 256 and 1 <= h <= 256
for name, cell, width in [("mosaic_64x64.png", 64, 259), ("mosaic_128x128.png", 128, 515)]:
    if os.path.exists(os.path.join(out, name)):
        mw, mh = size(name)
        assert mw == width and (mh + 1) % (cell + 1) == 0, (name, mw, mh)
PY
refused "is not in the level" textures "$demo" "$scratch/bad" --piece 999999
refused "no such file" textures "$scratch/none.tr4" "$scratch/bad"
check "$cli" view-images "$scratch/images"
for picture in texture1.jpg colored.bmp; do
  check cmp "$scratch/images/$picture" "$data/$picture"
done
finish
