#!/usr/bin/env bash
# qavel-cli's exchange commands as a user runs them on the demo level: MSH and ZQP round trips
# that give the level's own bytes back, a DXF round trip, and refused imports that write no
# output. The formats themselves, on every real level, are the exchange unit tests' work.
set -u
cli="$1"; data="$2"; scratch="$3"
rm -rf "$scratch"; mkdir -p "$scratch"
fail=0
check() { if ! "$@" > /dev/null; then echo "FAILED: $*"; fail=1; fi; }

f="$data/demo.tr4"
[ -f "$f" ] || { echo "no demo level in $data; skipped"; exit 77; }

ext="${f##*.}"
check "$cli" export-msh "$f" "$scratch/l.msh"
check "$cli" import-msh "$f" "$scratch/l.msh" "$scratch/full.$ext"
check cmp "$f" "$scratch/full.$ext"
check "$cli" import-msh "$f" "$scratch/l.msh" "$scratch/geometry.$ext" --geometry-only
check cmp "$f" "$scratch/geometry.$ext"
check "$cli" export-zqp "$f" "$scratch/l.zqp"
[ "$(wc -c < "$scratch/l.zqp")" -eq 25 ] || { echo "FAILED: ZQP is not 25 bytes"; fail=1; }
check "$cli" import-zqp "$f" "$scratch/l.zqp" "$scratch/zqp.$ext"
check cmp "$f" "$scratch/zqp.$ext"
check "$cli" export-dxf "$f" 0 "$scratch/room0.dxf"
check "$cli" import-dxf "$f" 0 "$scratch/room0.dxf" "$scratch/dxf.$ext"
check "$cli" export-dxf "$scratch/dxf.$ext" 0 "$scratch/again.dxf"
check cmp "$scratch/room0.dxf" "$scratch/again.dxf"
# A file of another kind: refused, one line on stderr, no output written.
rm -f "$scratch/never.$ext"
if "$cli" import-msh "$f" "$scratch/l.zqp" "$scratch/never.$ext" 2> "$scratch/err.txt"; then
  echo "FAILED: a ZQP file imported as MSH"; fail=1; fi
[ "$(wc -l < "$scratch/err.txt")" -eq 1 ] || { echo "FAILED: not one error line"; fail=1; }
[ -e "$scratch/never.$ext" ] && { echo "FAILED: a refused import wrote its output"; fail=1; }
if "$cli" import-dxf "$f" 0 "$scratch/l.msh" "$scratch/never.$ext" 2>/dev/null; then
  echo "FAILED: an MSH file imported as DXF"; fail=1; fi
[ -e "$scratch/never.$ext" ] && { echo "FAILED: a refused DXF import wrote its output"; fail=1; }
exit $fail
