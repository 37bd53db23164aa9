#!/usr/bin/env bash
# qavel-cli's floor-data commands as a user runs them on the demo level: sector texts, the
# trigger list, the map picture, the item list, other catalogs and the errors a user sees.
source "$(dirname "$0")/cli_lib.sh"

# The raw words, then the trigger details (their wording is the floor-data tests'), naming items
# by the catalog given and as items names them.
out=$("$cli" sector "$demo" 2 4 4 --catalog "$data/trcatalog.xml")
name=$("$cli" items "$demo" | awk -F'\t' 'NR==5{sub(/^3\.-/, "", $1); print $1}')
want="Raw floor data|FD Index:102||Trigger Details|Trigger Item(7) - Puzzle item 1"
expect "sector text" "$want|Item-0-(3) - $name" \
  "$(grep -E '^(Raw|FD|$|Trigger|Item-)' <<< "$out" | paste -sd'|')"

# Another catalog names the items; its faults are reported and the command goes on.
cat > "$scratch/other.xml" <<'XML'
<catalog><!-- another tool --><game id="TR4"><moveables>
  <moveable id="0" name="Heroine" ai="true"/>
</moveables></game></catalog>
XML
out=$("$cli" items "$demo" --catalog "$scratch/other.xml" 2>"$scratch/err.txt" | sed -n 2p)
expect "items with another catalog" "0.-Heroine	0	1536	0	1536	16384	0	00000000" "$out"
grep -q "line 2: attribute ai=\"true\"" "$scratch/err.txt" || no "bad value not reported"
# Names holding control characters (and the backslash) stay one field of one row.
cat > "$scratch/odd.xml" <<'XML'
<catalog><game id="TR4"><moveables><moveable id="0" name="A&#10;B&#9;C&#127;D&#92;E"/></moveables></game></catalog>
XML
out=$("$cli" items "$demo" --catalog "$scratch/odd.xml" | sed -n 2p)
expect "items escape control characters" '0.-A\nB\tC\x7FD\\E	0	1536	0	1536	16384	0	00000000' "$out"
echo "<catalog><game" > "$scratch/broken.xml"
out=$("$cli" items "$demo" --catalog "$scratch/broken.xml" 2>"$scratch/err.txt" | sed -n 2p)
expect "broken catalog keeps defaults" "0.-Moveable Id#0	0	1536	0	1536	16384	0	00000000" "$out"
grep -q "broken.xml: line 1, column 10: unclosed token" "$scratch/err.txt" || no "no line and column"

out=$("$cli" triggers "$demo" --item 2)
expect "triggers --item" "group 5 (fd 9): room 0, column 2, row 2
group 6 (fd 16): room 0, column 3, row 2
group 26 (fd 113): not applied to any room" "$out"
expect "triggers count" 17 "$("$cli" triggers "$demo" | wc -l)"
expect "triggers --type --command" "group 22 (fd 93): room 2, column 2, row 4" \
  "$("$cli" triggers "$demo" --type "ITEM AT SECTOR DO DEACTIVATE" --command 14)"

check "$cli" map "$demo" 2 "$scratch/map.png" --column 2 --row 3
expect "map picture" "PNG 61x61" "$(identify -format '%m %wx%h' "$scratch/map.png")"

d="$demo"
refused "column 7, row 1 lies outside room 0 (6 columns, 5 rows)" sector "$d" 0 7 1
refused "room 9 does not exist (the level has 4 rooms)" sector "$d" 9 1 1
refused "COLUMN must be a whole number, not 'x'" sector "$d" 0 x 1
refused "usage: qavel-cli map LEVEL ROOM OUT.png [--column C --row R]" map "$d" 0
refused "--command must lie in 0..15" triggers "$d" --command 16
refused "item 11 does not exist (the level has 11 items)" triggers "$d" --item 11
refused "item -1 does not exist (the level has 11 items)" triggers "$d" --item -1
refused "no such file: /nonexistent.tr4" items /nonexistent.tr4
refused "--catalog needs a value" sector "$d" 0 1 1 --catalog
finish
