#!/usr/bin/env bash
# qavel-cli check as a user runs it: the demo level passes (exit 0); with one item in a room that
# does not exist it fails (exit 1) with one line naming it, in text and JSON; a file that is no
# level, or a wrong command line, exits 2 with nothing on stdout. Which levels pass is the check's
# unit tests' work.
set -u
cli="$1"; data="$2"; scratch="$3"
mkdir -p "$scratch"
demo="$data/demo.tr4"
[ -f "$demo" ] || { echo "no demo level in $data; skipped"; exit 77; }
fail=0
expect() {  # expect NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAILED: $1"; diff <(echo "$2") <(echo "$3"); fail=1; fi
}

"$cli" check "$demo" > "$scratch/out.txt"
expect "exit code of a level without errors" 0 $?
expect "summary without errors" "0 errors, 5 warnings" "$(tail -n 1 "$scratch/out.txt")"

# The demo level with item 0 moved into room 77 (then -5): its packed level data is unpacked,
# the item record found and changed, and the data packed again.
break_item_room() {  # break_item_room ROOM OUT
  python3 - "$demo" "$1" "$2" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
pos = 4 + 6
for _ in range(3):  # the three texture chunks
    _, packed = struct.unpack_from("<II", data, pos)
    pos += 8 + packed
_, packed = struct.unpack_from("<II", data, pos)
level = bytearray(zlib.decompress(data[pos + 8:pos + 8 + packed]))
item0 = struct.pack("<HHiiiH", 0, 0, 1536, 0, 1536, 16384)
assert level.count(item0) == 1, "item 0 of the demo level not found once"
at = level.find(item0)
struct.pack_into("<H", level, at + 2, int(sys.argv[2]))
repacked = zlib.compress(bytes(level), 9)
out = data[:pos] + struct.pack("<II", len(level), len(repacked)) + repacked + data[pos + 8 + packed:]
open(sys.argv[3], "wb").write(out)
PY
}
break_item_room 77 "$scratch/room77.tr4" || { echo "FAILED: could not build the broken level"; exit 1; }
"$cli" check "$scratch/room77.tr4" > "$scratch/out.txt"
expect "exit code with an error" 1 $?
expect "error line" "error item-room item 0: room 77 does not exist; the level has 4 rooms" \
  "$(grep '^error' "$scratch/out.txt")"
expect "summary" "1 errors, 5 warnings" "$(tail -n 1 "$scratch/out.txt")"
expect "warning lines" 5 "$(grep -c '^warning [a-z-]* ' "$scratch/out.txt")"

break_item_room 65531 "$scratch/room-5.tr4"
"$cli" check "$scratch/room-5.tr4" | grep -q "^error item-room item 0: room 65531 does not exist" ||
  { echo "FAILED: room -5"; fail=1; }

"$cli" check "$scratch/room77.tr4" --json > "$scratch/out.json"
expect "exit code with --json" 1 $?
python3 - "$scratch/out.json" <<'PY' || { echo "FAILED: JSON"; cat "$scratch/out.json"; fail=1; }
import json, sys
d = json.load(open(sys.argv[1]))
assert d["errors"] == 1 and d["warnings"] == 5, d
assert len(d["problems"]) == 6
errors = [p for p in d["problems"] if p["severity"] == "error"]
assert errors == [{"severity": "error", "code": "item-room", "where": {"kind": "item", "index": 0},
                   "message": "item 0: room 77 does not exist; the level has 4 rooms"}], errors
sectors = [p["where"] for p in d["problems"] if p["where"]["kind"] == "sector"]
assert {"kind": "sector", "room": 0, "column": 1, "row": 1} in sectors, sectors
PY

# Unreadable files and wrong command lines: exit 2, one message on stderr, nothing on stdout.
printf 'not a level at all' > "$scratch/garbage.tr4"
for args in "$scratch/garbage.tr4" "$scratch/missing.tr4" "" "$demo $demo" "$demo --jsn"; do
  # shellcheck disable=SC2086
  "$cli" check $args > "$scratch/out.txt" 2> "$scratch/err.txt"
  expect "exit code of check $args" 2 $?
  [ -s "$scratch/out.txt" ] && { echo "FAILED: output on stdout for check $args"; fail=1; }
  expect "one message for check $args" 1 "$(wc -l < "$scratch/err.txt")"
done
"$cli" check "$scratch/missing.tr4" 2>&1 | grep -q "missing.tr4" || { echo "FAILED: file not named"; fail=1; }

# diff names the one edit and exits 1; a level against itself prints nothing and exits 0; levels
# that cannot be compared (a file that is no level) exit 2 with one message.
"$cli" diff "$demo" "$scratch/room77.tr4" > "$scratch/out.txt"
expect "exit code of diff with an edit" 1 $?
expect "diff line" "item 0 room: 0 -> 77" "$(cat "$scratch/out.txt")"
expect "diff --json" '[
  {"record": "item 0", "field": "room", "before": "0", "after": "77"}
]' "$("$cli" diff "$demo" "$scratch/room77.tr4" --json)"
expect "diff of a level with itself: no output, exit 0" 0 "$("$cli" diff "$demo" "$demo"; echo $?)"
"$cli" diff "$demo" "$scratch/garbage.tr4" > "$scratch/out.txt" 2> "$scratch/err.txt"
expect "exit code of diff with a file that is no level" 2 $?
expect "one message for diff with a file that is no level" 1 "$(wc -l < "$scratch/err.txt")"
exit $fail
