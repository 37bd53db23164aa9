#!/usr/bin/env bash
# qavel-cli against inputs that are no files, or broken ones: devices and a pipe as every kind of
# input, a named catalog that is missing, a DXF file cut short, a full disk under the pictures
# (link loops and the longest names are the file layer's tests). Each refusal is one line on
# stderr, a non-zero exit, and nothing written. The folder has a space and a non-ASCII letter in
# its name.
source "$(dirname "$0")/cli_lib.sh"
dir="$scratch/hostile é"; mkdir -p "$dir"
out="$dir/out.tr4"
level="$demo"

mkfifo "$dir/pipe"
for input in /dev/zero /dev/urandom "$dir/pipe"; do
  [ -e "$input" ] || continue
  refused "not a regular file" info "$input"
  refused "not a regular file" import-dxf "$level" 0 "$input" "$out"
  refused "not a regular file" import-msh "$level" "$input" "$out"
  refused "not a regular file" import-zqp "$level" "$input" "$out"
  refused "not a regular file" items "$level" --catalog "$input"
done
refused "no such file: $dir/none.xml" items "$level" --catalog "$dir/none.xml"

check "$cli" export-dxf "$level" 0 "$dir/room.dxf"
head -c -9 "$dir/room.dxf" > "$dir/cut.dxf"  # its last group, " 0" and "EOF", cut off
refused "it is cut short" import-dxf "$level" 0 "$dir/cut.dxf" "$out"

# A full disk under the pictures: the old pictures stay whole and one line says why. The disk is
# a small memory file system mounted where only this check sees it.
full="$dir/full"; mkdir -p "$full"
if unshare -m --propagation private true 2> /dev/null; then
  unshare -m --propagation private bash -c '
    set -u; cli="$1"; level="$2"; full="$3"; dir="$4"
    mount -t tmpfs -o size=2m tmpfs "$full" || exit 77
    "$cli" textures "$level" "$full" > /dev/null || exit 1
    cp "$full/atlas.png" "$dir/atlas.before"
    dd if=/dev/zero of="$full/filler" bs=64k 2> /dev/null
    "$cli" textures "$level" "$full" > /dev/null 2> "$dir/full.err" && exit 2
    cmp -s "$full/atlas.png" "$dir/atlas.before" || exit 3
    [ "$(ls -A "$full" | grep -c qavel)" -eq 0 ] || exit 4
    exit 0' _ "$cli" "$level" "$full" "$dir"
  case $? in
    0) [ "$(wc -l < "$dir/full.err")" -eq 1 ] && grep -q "No space left on device" "$dir/full.err" ||
         { no "a full disk is not one line with the system's reason:"; cat "$dir/full.err"; } ;;
    77) echo "cannot mount a small file system here; the full-disk check is skipped" ;;
    *) no "pictures on a full disk (an old picture was damaged or a temporary file left)" ;;
  esac
else
  echo "no mount namespace for us here; the full-disk check is skipped"
fi

finish
