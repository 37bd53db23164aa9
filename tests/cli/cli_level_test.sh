#!/usr/bin/env bash
# qavel-cli as a user runs it: info --json, verify and resave on every level we have, and the
# errors a user sees for files that are not levels. Arguments: CLI DATA SCRATCH LEVELS.
source "$(dirname "$0")/cli_lib.sh"
levels="$4"

files=("$demo")
for g in TR1 TR2 TR3 TR4 TR5; do
  for f in "$levels/$g"/*; do [ -f "$f" ] && [ "$(basename "$f")" != README.md ] && files+=("$f"); done
done
[ ${#files[@]} -eq 1 ] && echo "real levels absent from $levels; checking our own level only"

for f in "${files[@]}"; do
  echo "== $f"
  check "$cli" info "$f"
  "$cli" info --json "$f" | python3 -c '
import json, sys
d = json.load(sys.stdin)
keys = ["version_kind", "num_rooms", "num_floor_data", "num_items", "num_aux_records",
        "num_object_textures", "num_zones", "tail_data_size", "total_vertices",
        "total_rectangles", "total_triangles", "max_room_vertices", "max_room_rectangles",
        "max_room_triangles"]
missing = [k for k in keys if k not in d]
assert not missing, missing
assert d["max_room_vertices"] <= d["total_vertices"]' || no "info --json $f"
  "$cli" verify "$f" | grep -q "bytes: identical" || no "$f not identical"
  check "$cli" resave "$f" "$scratch/resaved.${f##*.}"
  check cmp "$f" "$scratch/resaved.${f##*.}"
done

# The shipped demo level is what make-demo writes.
check "$cli" make-demo "$scratch/demo.tr4"
check cmp "$demo" "$scratch/demo.tr4"

printf 'not a level at all' > "$scratch/garbage.tr4"
refused "garbage.tr4 is not a level file" info "$scratch/garbage.tr4"
refused "no such file: $scratch/missing.tr4" info "$scratch/missing.tr4"
refused "garbage.tr4 is not a level file" resave "$scratch/garbage.tr4" "$scratch/never.tr4"
finish
