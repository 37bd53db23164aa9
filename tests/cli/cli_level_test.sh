#!/usr/bin/env bash
# qavel-cli as a user runs it: info --json, verify and resave on every level we have, and the
# errors a user sees for files that are not levels.
set -u
cli="$1"; levels="$2"; data="$3"; scratch="$4"
mkdir -p "$scratch"
fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }

files=()
for g in TR1 TR2 TR3 TR4 TR5; do
  for f in "$levels/$g"/*; do [ -f "$f" ] && [ "$(basename "$f")" != README.md ] && files+=("$f"); done
done
[ -f "$data/demo.tr4" ] && files+=("$data/demo.tr4")
[ ${#files[@]} -eq 0 ] && { echo "no levels found (real levels absent from $levels); skipped"; exit 77; }
[ -d "$levels" ] || echo "real levels absent from $levels; checking our own levels only"

for f in "${files[@]}"; do
  echo "== $f"
  check "$cli" info "$f" >/dev/null
  "$cli" info --json "$f" > "$scratch/info.json" || { echo "FAILED: info --json $f"; fail=1; }
  check python3 - "$scratch/info.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
keys = ["version_kind", "num_rooms", "num_floor_data", "num_items", "num_aux_records",
        "num_object_textures", "num_zones", "tail_data_size", "total_vertices",
        "total_rectangles", "total_triangles", "max_room_vertices", "max_room_rectangles",
        "max_room_triangles"]
missing = [k for k in keys if k not in d]
assert not missing, missing
assert d["num_zones"] == d["num_boxes"]
assert d["max_room_vertices"] <= d["total_vertices"]
PY
  check "$cli" verify "$f" > "$scratch/verify.txt"
  grep -q "bytes: identical" "$scratch/verify.txt" || { echo "FAILED: $f not identical"; cat "$scratch/verify.txt"; fail=1; }
  out="$scratch/resaved.${f##*.}"
  check "$cli" resave "$f" "$out"
  check cmp -s "$f" "$out"
done

# The shipped demo level is what make-demo writes.
check "$cli" make-demo "$scratch/demo.tr4"
[ -f "$data/demo.tr4" ] && { cmp -s "$data/demo.tr4" "$scratch/demo.tr4" || { echo "FAILED: make-demo differs from data/demo.tr4"; fail=1; }; }

# Errors: one line on stderr, non-zero exit, nothing on stdout.
printf 'not a level at all' > "$scratch/garbage.tr4"
if "$cli" info "$scratch/garbage.tr4" > "$scratch/out.txt" 2> "$scratch/err.txt"; then
  echo "FAILED: garbage accepted"; fail=1; fi
[ "$(wc -l < "$scratch/err.txt")" -eq 1 ] || { echo "FAILED: not one error line"; cat "$scratch/err.txt"; fail=1; }
[ -s "$scratch/out.txt" ] && { echo "FAILED: output on stdout for an error"; fail=1; }
if "$cli" info "$scratch/missing.tr4" 2> "$scratch/err.txt"; then echo "FAILED: missing file"; fail=1; fi
grep -q "missing.tr4" "$scratch/err.txt" || { echo "FAILED: error does not name the file"; fail=1; }
if "$cli" resave "$scratch/garbage.tr4" "$scratch/never.tr4" 2>/dev/null; then fail=1; fi
[ -e "$scratch/never.tr4" ] && { echo "FAILED: a refused resave created its output"; fail=1; }
exit $fail
