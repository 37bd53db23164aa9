#!/usr/bin/env bash
# qavel-cli textures as a level designer runs it on our demo level: the PNG files it promises,
# at their sizes, and the errors for a wrong piece number or a missing level.
set -u
cli="$1"; data="$2"; scratch="$3"
level="$data/demo.tr4"
[ -f "$level" ] || { echo "demo level $level absent; skipped"; exit 77; }
rm -rf "$scratch"; mkdir -p "$scratch"
fail=0

"$cli" textures "$level" "$scratch/out" --piece 1 > "$scratch/stdout" || { echo "FAILED: textures"; fail=1; }
python3 - "$scratch/out" "$("$cli" info "$level" | sed -n 's/^num_pages: //p')" <<'PY' || fail=1
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

if "$cli" textures "$level" "$scratch/bad" --piece 999999 2> "$scratch/err"; then
  echo "FAILED: a piece number beyond the level was accepted"; fail=1
fi
grep -q "is not in the level" "$scratch/err" || { echo "FAILED: message for a wrong piece"; fail=1; }
if "$cli" textures "$scratch/none.tr4" "$scratch/bad" 2> /dev/null; then
  echo "FAILED: a missing level was accepted"; fail=1
fi
# The pictures shipped in data/ are the ones the program draws (a changed drawing must be shipped).
"$cli" view-images "$scratch/images" > /dev/null || { echo "FAILED: view-images"; fail=1; }
for picture in texture1.jpg colored.bmp; do
  cmp -s "$scratch/images/$picture" "$data/$picture" ||
    { echo "FAILED: data/$picture is not what view-images draws"; fail=1; }
done
[ $fail -eq 0 ] && echo "cli textures: all checks passed"
exit $fail
