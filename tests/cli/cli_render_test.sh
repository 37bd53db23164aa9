#!/usr/bin/env bash
# qavel-cli render on our demo level: a PNG of the asked size (what it shows is the window's
# picture, which the window's view test compares), its own options, a file replaced only whole,
# and one clear message for every refusal.
source "$(dirname "$0")/cli_lib.sh"
command -v convert > /dev/null || { echo "ImageMagick absent; skipped"; exit 77; }

# A render killed by a signal is said with what it printed and tried once more: the software
# OpenGL driver under a shared X server has died here under load, outside our code; a second
# death in a row fails the run.
render() {
  "$cli" "$@" 2> "$scratch/.io/died"; local rc=$?
  if [ $rc -gt 128 ]; then
    echo "$* died with signal $((rc - 128)): $(cat "$scratch/.io/died"); trying once more" >&3
    "$cli" "$@" 2> "$scratch/.io/died"; rc=$?
  fi
  cat "$scratch/.io/died" >&2
  return $rc
}
runner=render
size() { identify -format '%wx%h' "$1"; }

if ! out=$(render render "$demo" 0 "$scratch/room.png" 2> "$scratch/.io/first"); then
  grep -q "cannot draw the view without OpenGL 3.3" "$scratch/.io/first" &&
    { echo "no OpenGL 3.3 here: $(cat "$scratch/.io/first"); skipped"; exit 77; }
  no "render of room 0: $(cat "$scratch/.io/first")"; exit 1
fi
grep -qx "$scratch/room.png 800x600" <<< "$out" || no "what render printed: $out"
expect "default size" 800x600 "$(size "$scratch/room.png")"
check render render "$demo" 0 "$scratch/small.png" --size 320x240
expect "size of --size 320x240" 320x240 "$(size "$scratch/small.png")"

# The options render shares with scene are the scene test's to parse and the pictures' to draw;
# here the two of its own: room lighting changes the picture, transparent texels are taken.
check render render "$demo" 0 "$scratch/lit.png" --room-lighting
[ "$(compare -metric AE "$scratch/room.png" "$scratch/lit.png" null: 2>&1)" != 0 ] || no "--room-lighting changes nothing"
check render render "$demo" 0 "$scratch/x.png" --transparent-texels

# Refusals leave an existing picture as it was and no temporary file behind. A size the driver
# cannot draw is refused for its size, naming the largest side there is.
refused "cannot save $scratch/none/x.png" render "$demo" 0 "$scratch/none/x.png"
refused "--size must be WIDTHxHEIGHT, not '800'" render "$demo" 0 "$scratch/x.png" --size 800
refused "a picture of 65536 x 1 pixels is more than this OpenGL draws: at most" \
  render "$demo" 0 "$scratch/x.png" --size 65536x1
refused "usage: qavel-cli render" render "$demo" 0

# Without a display: a picture where the platform still offers OpenGL, else one clear message.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY "$cli" "$@"; }
runner=headless
if headless render "$demo" 0 "$scratch/headless.png" > /dev/null 2>&1; then
  [ -f "$scratch/headless.png" ] || no "headless render claimed success"
else
  refused "cannot draw the view without OpenGL 3.3" render "$demo" 0 "$scratch/headless.png"
fi
finish
