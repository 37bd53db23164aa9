#!/usr/bin/env bash
# qavel-cli's floor-data commands as a user runs them on the demo level: sector texts, the
# trigger list, the map picture, the item list, other catalogs and the errors a user sees.
set -u
cli="$1"; data="$2"; scratch="$3"
mkdir -p "$scratch"
demo="$data/demo.tr4"
[ -f "$demo" ] || { echo "no demo level in $data; skipped"; exit 77; }
fail=0
expect() {  # expect NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAILED: $1"; diff <(echo "$2") <(echo "$3"); fail=1; fi
}

out=$("$cli" sector "$demo" 2 4 4 --catalog "$data/trcatalog.xml")
expect "sector text" "Raw floor data
FD Index:102
Count:2
------------
-Function:4  Subfunction:4 Operando:511
-Function:26  Subfunction:0 Operando:66

Trigger Details
ITEM IS PICKED UP
Timer            :-1
Flags            :00000-00
Only once    :Yes
Trigger Item(7) - Puzzle item 1
------- Commands -----------
Item-0-(3) - $("$cli" items "$demo" | awk -F'\t' 'NR==5{sub(/^3\.-/, "", $1); print $1}')
Play_Soundtrack-8-(5)" "$out"

# Another catalog names the items; its faults are reported and the command goes on.
cat > "$scratch/other.xml" <<'XML'
<catalog><!-- another tool --><game id="TR4"><moveables>
  <moveable id="0" name="Heroine" ai="true"/>
</moveables></game></catalog>
XML
out=$("$cli" items "$demo" --catalog "$scratch/other.xml" 2>"$scratch/err.txt" | sed -n 2p)
expect "items with another catalog" "0.-Heroine	0	1536	0	1536	16384	0	00000000" "$out"
grep -q "line 2: attribute ai=\"true\"" "$scratch/err.txt" || { echo "FAILED: bad value not reported"; fail=1; }
# Names holding control characters (and the backslash) stay one field of one row.
cat > "$scratch/odd.xml" <<'XML'
<catalog><game id="TR4"><moveables><moveable id="0" name="A&#10;B&#9;C&#127;D&#92;E"/></moveables></game></catalog>
XML
out=$("$cli" items "$demo" --catalog "$scratch/odd.xml" | sed -n 2p)
expect "items escape control characters" '0.-A\nB\tC\x7FD\\E	0	1536	0	1536	16384	0	00000000' "$out"
echo "<catalog><game" > "$scratch/broken.xml"
out=$("$cli" items "$demo" --catalog "$scratch/broken.xml" 2>"$scratch/err.txt" | sed -n 2p)
expect "broken catalog keeps defaults" "0.-Moveable Id#0	0	1536	0	1536	16384	0	00000000" "$out"
grep -q "broken.xml: line 1, column 10: unclosed token" "$scratch/err.txt" || { echo "FAILED: no line and column"; cat "$scratch/err.txt"; fail=1; }

out=$("$cli" triggers "$demo" --item 2)
expect "triggers --item" "group 5 (fd 9): room 0, column 2, row 2
group 6 (fd 16): room 0, column 3, row 2
group 26 (fd 113): not applied to any room" "$out"
expect "triggers count" 17 "$("$cli" triggers "$demo" | wc -l)"
expect "triggers --type --command" "group 22 (fd 93): room 2, column 2, row 4" \
  "$("$cli" triggers "$demo" --type "ITEM AT SECTOR DO DEACTIVATE" --command 14)"

rm -f "$scratch/map.png"
"$cli" map "$demo" 2 "$scratch/map.png" --column 2 --row 3 >/dev/null || { echo "FAILED: map"; fail=1; }
expect "map signature" "89504e470d0a1a0a" "$(head -c 8 "$scratch/map.png" | od -An -tx1 | tr -d ' \n')"
if command -v identify >/dev/null; then
  expect "map size" "61x61" "$(identify -format '%wx%h' "$scratch/map.png")"
fi

# Errors: one line on stderr, a non-zero exit, nothing on stdout.
for args in "sector $demo 0 7 1" "sector $demo 9 1 1" "sector $demo 0 x 1" "map $demo 0" \
            "triggers $demo --command 16" "triggers $demo --item 11" "triggers $demo --item -1" \
            "items /nonexistent.tr4" "sector $demo 0 1 1 --catalog"; do
  if out=$("$cli" $args 2>"$scratch/err.txt"); then echo "FAILED: '$args' succeeded"; fail=1; fi
  [ -z "$out" ] && [ "$(wc -l < "$scratch/err.txt")" = 1 ] || { echo "FAILED: '$args' output"; cat "$scratch/err.txt"; fail=1; }
done
exit $fail
