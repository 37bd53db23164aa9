#!/usr/bin/env bash
# qavel-cli's exchange commands as a user runs them on the demo level: MSH and ZQP round trips
# that give the level's own bytes back, a DXF round trip, and refused imports that write no
# output. The formats themselves, on every real level, are the exchange unit tests' work.
source "$(dirname "$0")/cli_lib.sh"

s="$scratch"
check "$cli" export-msh "$demo" "$s/l.msh"
check "$cli" import-msh "$demo" "$s/l.msh" "$s/full.tr4"
check cmp "$demo" "$s/full.tr4"
check "$cli" import-msh "$demo" "$s/l.msh" "$s/geometry.tr4" --geometry-only
check cmp "$demo" "$s/geometry.tr4"
check "$cli" export-zqp "$demo" "$s/l.zqp"
check "$cli" import-zqp "$demo" "$s/l.zqp" "$s/zqp.tr4"
check cmp "$demo" "$s/zqp.tr4"
check "$cli" export-dxf "$demo" 0 "$s/room0.dxf"
check "$cli" import-dxf "$demo" 0 "$s/room0.dxf" "$s/dxf.tr4"
check "$cli" export-dxf "$s/dxf.tr4" 0 "$s/again.dxf"
check cmp "$s/room0.dxf" "$s/again.dxf"
# A file of another kind: refused, no output written.
refused "l.zqp is not an MSH file" import-msh "$demo" "$s/l.zqp" "$s/never.tr4"
refused "l.msh, line 1: the group code" import-dxf "$demo" 0 "$s/l.msh" "$s/never.tr4"
finish
