#!/usr/bin/env bash
# qavel-cli scene and pick on our demo level: the JSON's promises (runs add up, tags count every
# triangle, box and camera of a 6 x 5 room, the missing AI object), what each VIEW option moves,
# and the picks of a few pixels.
set -u
cli="$1"; data="$2"; scratch="$3"
level="$data/demo.tr4"
[ -f "$level" ] || { echo "demo level $level absent; skipped"; exit 77; }
rm -rf "$scratch"; mkdir -p "$scratch"
fail=0

scene() { "$cli" scene "$level" "$@"; }
check() {  # check NAME PYTHON-EXPRESSIONS... over the JSON in s
  name="$1"; shift
  python3 -c '
import json, sys
s = json.loads(sys.stdin.read())
L = s["layers"]
for layer in L:
    assert layer["vertices"] == 3 * layer["triangles"], layer
    assert sum(t for _, t in layer["runs"]) == layer["triangles"], layer
assert sum(s["tag_triangles"].values()) == sum(l["triangles"] for l in L)
for e in sys.argv[1:]:
    assert eval(e), e
' "$@" || { echo "FAILED: $name"; fail=1; }
}

scene 0 --json | check "room 0" 'len(L) == 3' \
  's["box"] == {"min": [-3, -1.5, 2.5], "max": [3, 1.5, 7.5]}' \
  's["camera"] == {"x": 0, "y": 0, "z": 12.5, "zoom": 0}' \
  'L[1]["triangles"] == L[2]["triangles"] == 0' \
  's["skipped_items"] == [{"index": 11, "object_id": 398, "message": "Object ID398 is missing."}]' \
  'sorted(s["tag_triangles"]) == ["1", "2", "3", "5"]'
scene 0 --json --item 0 --static 0 | check "selected item and static" \
  'L[2]["triangles"] > 0 and L[1]["triangles"] == 12' 'L[1]["runs"] and L[2]["runs"]'
scene 0 --json --wireframe-objects --item 0 | check "wireframe objects" \
  'L[2]["triangles"] == 0 and L[1]["triangles"] > 0'
scene 0 --json --wireframe-room --standard-room --hide-items --hide-statics | check "room only" \
  'L[0]["triangles"] == 0 and L[1]["runs"] == [[8888, s["tag_triangles"]["1"] + s["tag_triangles"]["2"]]]' \
  's["tag_triangles"]["3"] == s["tag_triangles"]["5"] == 0 and s["skipped_items"] == []'

pick() { "$cli" pick "$level" "$@" 2>&1; }
[ "$(pick 0 100 100)" = "kind 1 index 3" ] || { echo "FAILED: pick of a wall"; fail=1; }
[ "$(pick 0 0 0)" = "none" ] || { echo "FAILED: pick beside the room"; fail=1; }
[ "$(pick 0 50 50 --size 400x300)" = "$(pick 0 100 100)" ] || { echo "FAILED: --size"; fail=1; }
[ "$(pick 0 100 100 --hide-items --hide-statics --standard-room)" = "kind 1 index 3" ] ||
  { echo "FAILED: pick with VIEW options"; fail=1; }
pick 0 1 1 --size 0x5 | grep -q "WIDTHxHEIGHT" || { echo "FAILED: message for a bad size"; fail=1; }
pick 9 1 1 | grep -q "room 9 does not exist" || { echo "FAILED: message for a bad room"; fail=1; }
if "$cli" scene "$scratch/none.tr4" 0 --json 2> /dev/null; then
  echo "FAILED: a missing level was accepted"; fail=1
fi
[ $fail -eq 0 ] && echo "cli scene and pick: all checks passed"
exit $fail
