#!/usr/bin/env bash
# qavel-cli check and diff as a user runs them: the demo level passes (exit 0); with one item in a
# room that does not exist it fails (exit 1) with one line naming it, in text and JSON, and diff
# names that one change; a file that is no level, or a wrong command line, exits 2 with one
# message. Which levels pass is the check's unit tests' work.
source "$(dirname "$0")/cli_lib.sh"

"$cli" check "$demo" > "$scratch/.io/check"
expect "exit code of a level without errors" 0 $?

# The demo level with item 0 moved into room 77: its packed level data is unpacked,
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
room77="$scratch/room77.tr4"
break_item_room 77 "$room77" || { no "could not build the broken level"; exit 1; }
"$cli" check "$room77" > "$scratch/.io/check"
expect "exit code with an error" 1 $?
expect "error line" "error item-room item 0: room 77 does not exist; the level has 4 rooms" \
  "$(grep '^error' "$scratch/.io/check")"
expect "summary" "1 errors, 5 warnings" "$(tail -n 1 "$scratch/.io/check")"

"$cli" check "$room77" --json > "$scratch/.io/check.json"
expect "exit code with --json" 1 $?
python3 - "$scratch/.io/check.json" <<'PY' || { no "JSON"; cat "$scratch/.io/check.json"; }
import json, sys
d = json.load(open(sys.argv[1]))
assert d["errors"] == 1 and d["warnings"] == 5, d
errors = [p for p in d["problems"] if p["severity"] == "error"]
assert errors == [{"severity": "error", "code": "item-room", "where": {"kind": "item", "index": 0},
                   "message": "item 0: room 77 does not exist; the level has 4 rooms"}], errors
sectors = [p["where"] for p in d["problems"] if p["where"]["kind"] == "sector"]
assert {"kind": "sector", "room": 0, "column": 1, "row": 1} in sectors, sectors
PY

# diff names the one edit and exits 1; a level against itself prints nothing and exits 0.
expect "diff line and exit code" "item 0 room: 0 -> 77
1" "$("$cli" diff "$demo" "$room77"; echo $?)"
expect "diff --json" '[
  {"record": "item 0", "field": "room", "before": "0", "after": "77"}
]' "$("$cli" diff "$demo" "$room77" --json)"
expect "diff of a level with itself: no output, exit 0" 0 "$("$cli" diff "$demo" "$demo"; echo $?)"

printf 'not a level at all' > "$scratch/garbage.tr4"
refused -2 "garbage.tr4 is not a level file" check "$scratch/garbage.tr4"
refused -2 "no such file: $scratch/missing.tr4" check "$scratch/missing.tr4"
for args in "" "$demo $demo" "$demo --jsn"; do
  # shellcheck disable=SC2086
  refused -2 "usage: qavel-cli check LEVEL [--json]" check $args
done
refused -2 "garbage.tr4 is not a level file" diff "$demo" "$scratch/garbage.tr4"
finish
