#!/usr/bin/env bash
# qavel-cli scene and pick on our demo level: the JSON's promises (runs add up, tags count every
# triangle, box and camera of a 6 x 5 room, the missing AI object), that every VIEW option is
# taken (what each one does is checked with the pictures), the picks of a few pixels, and one
# clear message for every refusal.
source "$(dirname "$0")/cli_lib.sh"

scene() { "$cli" scene "$demo" "$@"; }
json() {  # json NAME PYTHON-EXPRESSIONS... over the JSON in s
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
' "$@" || no "$name"
}

scene 0 --json | json "room 0" 'len(L) == 3 and s["skipped_statics"] == []' \
  's["box"] == {"min": [-3, -1.5, 2.5], "max": [3, 1.5, 7.5]}' \
  's["camera"] == {"x": 0, "y": 0, "z": 12.5, "zoom": 0}' \
  's["skipped_items"] == [{"index": 11, "object_id": 398, "message": "Object ID398 is missing."}]'
plain=$(scene 0 --json)
for option in --wireframe-room --wireframe-objects --hide-items --hide-statics --standard-room \
              "--item 4" "--static 0"; do
  # shellcheck disable=SC2086
  [ "$(scene 0 --json $option 2>&1)" != "$plain" ] || no "$option not taken"
done

pick() { "$cli" pick "$demo" "$@" 2>&1; }
expect "pick of a wall" "kind 1 index 3" "$(pick 0 100 100)"
expect "pick beside the room" none "$(pick 0 0 0)"
expect "--size" "$(pick 0 100 100)" "$(pick 0 50 50 --size 400x300)"

# Many rooms: the demo level's room 1 names room 2 as its alternate. Each option picks the rooms
# it names (what they draw is the level scene's test); a free camera is said with its angles.
rooms() {  # rooms NAME ROOMS ARGS...
  expect "$1" "$2" "$(scene "${@:3}" --json |
    python3 -c 'import json,sys; s=json.load(sys.stdin); print(s["rooms"], sorted(s["camera"]))')"
}
rooms "level" "[0, 1, 3] ['pitch', 'x', 'y', 'yaw', 'z']" 0 --level
rooms "level flipped" "[0, 2, 3] ['pitch', 'x', 'y', 'yaw', 'z']" 0 --level --flipped
rooms "neighbours 1" "[0, 1, 2, 3] ['pitch', 'x', 'y', 'yaw', 'z']" 0 --neighbours 1
rooms "free camera" "[0] ['pitch', 'x', 'y', 'yaw', 'z']" 0 --camera 0,0,0,90,0
rooms "room mode flipped" "[2] ['x', 'y', 'z', 'zoom']" 1 --flipped
scene 0 --json --portals | json "--portals" 's["tag_triangles"]["6"] > 0'
pick 0 400 300 --level | grep -qE '^room [013] kind [1235] index [0-9]+$' ||
  no "pick in level mode: $(pick 0 400 300 --level)"
expect "pick from a camera inside room 0 looking along +x" "room 1 kind 1 index 23" \
  "$(pick 0 400 300 --level --camera 3072,-1536,3000,90,0)"

refused "WIDTHxHEIGHT" pick "$demo" 0 1 1 --size 0x5
refused "room 9 does not exist" pick "$demo" 9 1 1
refused "--item 99999 does not exist (the level has 13 items)" scene "$demo" 0 --item 99999
refused "--item 13 does not exist (the level has 13 items)" pick "$demo" 0 1 1 --item 13
refused "--item -2 does not exist" scene "$demo" 0 --item -2
refused "--static 5 does not exist (room 1 has 0 static meshes)" scene "$demo" 1 --static 5
refused "--static 1 does not exist (room 0 has 1 static mesh)" pick "$demo" 0 1 1 --static 1
refused "pixel (800, 10) lies outside the 800x600 picture" pick "$demo" 0 800 10
refused "pixel (-1, 10) lies outside the 400x300 picture" pick "$demo" 0 -1 10 --size 400x300
refused "no such file" scene "$scratch/none.tr4" 0 --json
refused "--neighbours must be from 1 to 5, not 6" scene "$demo" 0 --neighbours 6
refused "--neighbours and --level cannot go together" pick "$demo" 0 1 1 --level --neighbours 2
refused "--camera must be X,Y,Z,YAW,PITCH" scene "$demo" 0 --camera 1,2,3,4
refused "--camera must be X,Y,Z,YAW,PITCH" pick "$demo" 0 1 1 --camera 1,2,3,4,x
finish
