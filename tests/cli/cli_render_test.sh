#!/usr/bin/env bash
# qavel-cli render on our demo level: a PNG of the asked size (what it shows is the window's
# picture, which the window's view test compares), its own options, a file replaced only whole,
# and one clear message for every refusal.
set -u
cli="$1"; data="$2"; scratch="$3"
level="$data/demo.tr4"
[ -f "$level" ] || { echo "demo level $level absent; skipped"; exit 77; }
command -v convert > /dev/null || { echo "ImageMagick absent; skipped"; exit 77; }
rm -rf "$scratch"; mkdir -p "$scratch"
fail=0
no() { echo "FAILED: $*"; fail=1; }

# A render killed by a signal is said with what it printed and tried once more: the software
# OpenGL driver under a shared X server has died here under load, outside our code; a second
# death in a row fails the run.
render() {
  "$cli" render "$level" "$@" 2> "$scratch/err"; local rc=$?
  if [ $rc -gt 128 ]; then
    echo "render $* died with signal $((rc - 128)): $(cat "$scratch/err"); trying once more"
    "$cli" render "$level" "$@" 2> "$scratch/err"; rc=$?
  fi
  return $rc
}
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
teal="srgb(0,128,128)"

if ! render 0 "$scratch/room.png" > "$scratch/out"; then
  if grep -q "cannot draw the view without OpenGL 3.3" "$scratch/err"; then
    echo "no OpenGL 3.3 here: $(cat "$scratch/err"); skipped"; exit 77
  fi
  no "render of room 0: $(cat "$scratch/err")"; exit 1
fi
grep -q "^$scratch/room.png 800x600$" "$scratch/out" || no "what render printed: $(cat "$scratch/out")"
[ "$(identify -format '%wx%h' "$scratch/room.png")" = 800x600 ] || no "default size"

render 0 "$scratch/small.png" --size 320x240 > /dev/null || no "--size"
[ "$(identify -format '%wx%h' "$scratch/small.png")" = 320x240 ] || no "size of --size 320x240"

# The options render shares with scene are the scene test's to parse and the pictures' to draw;
# here the two of its own: room lighting changes the picture, transparent texels are taken.
render 0 "$scratch/lit.png" --room-lighting > /dev/null || no "render --room-lighting: $(cat "$scratch/err")"
[ "$(compare -metric AE "$scratch/room.png" "$scratch/lit.png" null: 2>&1)" != 0 ] || no "--room-lighting changes nothing"
render 0 "$scratch/x.png" --transparent-texels > /dev/null || no "render --transparent-texels"

# Level mode: where pick finds a room the picture shows one. A free camera in the middle of room
# 0 sees its walls all round: (almost) no background is left.
render 0 "$scratch/level.png" --level --portals > /dev/null || no "render --level: $(cat "$scratch/err")"
[ "$("$cli" pick "$level" 0 400 300 --level)" != none ] &&
  [ "$(pixel "$scratch/level.png" 400 300)" != "$teal" ] || no "level mode draws what pick finds"
middle=$("$cli" scene "$level" 0 --json --camera 0,0,0,0,0 | python3 -c '
import json, sys
b = json.load(sys.stdin)["box"]
c = [(b["min"][i] + b["max"][i]) / 2 for i in range(3)]
print("%g,%g,%g,90,0" % (c[0] * 512, c[1] * 512, -c[2] * 512))')
render 0 "$scratch/inside.png" --level --camera "$middle" > /dev/null || no "render --camera"
background=$(convert "$scratch/inside.png" -fill black +opaque "$teal" -fill white -opaque "$teal" \
  -format "%[fx:mean]" info:)
python3 -c "import sys; sys.exit(0 if float('$background') < 0.02 else 1)" ||
  no "a free camera inside room 0 sees background ($background of the picture)"

# A refused render leaves an existing picture as it was.
cp "$scratch/room.png" "$scratch/kept.png"
render 9 "$scratch/kept.png" && no "room 9 was drawn"
grep -q "room 9 does not exist" "$scratch/err" || no "message for a bad room"
cmp -s "$scratch/room.png" "$scratch/kept.png" || no "a refused render changed the file"
render 0 "$scratch/none/x.png" && no "a folder that does not exist was written to"
grep -q "cannot save $scratch/none/x.png" "$scratch/err" || no "message for an unwritable file"
render 0 "$scratch/x.png" --size 800 && no "a size without height"
grep -q "WIDTHxHEIGHT" "$scratch/err" || no "message for a bad size"
# A size the driver cannot draw is refused for its size, naming the largest side there is.
render 0 "$scratch/x.png" --size 65536x1 && no "a side beyond the driver's was drawn"
grep -q "a picture of 65536 x 1 pixels is more than this OpenGL draws: at most [0-9]* pixels a side" \
  "$scratch/err" && ! grep -q "without OpenGL" "$scratch/err" || no "message for a side too large: $(cat "$scratch/err")"
render 0 && no "a missing OUT"
grep -q "usage: qavel-cli render" "$scratch/err" || no "usage"
ls "$scratch" | grep -q qavel- && no "a temporary file was left behind"

# Without a display: a picture where the platform still offers OpenGL, else one clear message.
if env -u DISPLAY -u WAYLAND_DISPLAY "$cli" render "$level" 0 "$scratch/headless.png" \
    > /dev/null 2> "$scratch/err"; then
  [ -f "$scratch/headless.png" ] || no "headless render claimed success"
else
  [ "$(wc -l < "$scratch/err")" = 1 ] && grep -q "cannot draw the view without OpenGL 3.3" \
    "$scratch/err" || no "headless message: $(cat "$scratch/err")"
  [ -f "$scratch/headless.png" ] && no "headless failure wrote a file"
fi

[ $fail -eq 0 ] && echo "cli render: all checks passed"
exit $fail
