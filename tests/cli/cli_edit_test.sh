#!/usr/bin/env bash
# qavel-cli edit as a user runs it: edits given as arguments and as a script are written, and diff
# names exactly them; a bad script line or argument writes nothing and names itself. What each
# edit does is the unit tests' work.
set -u
cli="$1"; data="$2"; scratch="$3"
rm -rf "$scratch"; mkdir -p "$scratch"
demo="$data/demo.tr4"
[ -f "$demo" ] || { echo "no demo level in $data; skipped"; exit 77; }
fail=0
expect() {  # expect NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAILED: $1"; diff <(echo "$2") <(echo "$3"); fail=1; fi
}

"$cli" edit "$demo" "$scratch/a.tr4" 'item 0 x=1040 angle=180' 'room 1 water_enabled=off' > /dev/null
expect "exit code of edits made" 0 $?
"$cli" diff "$demo" "$scratch/a.tr4" > "$scratch/diff.txt"
expect "diff exit code" 1 $?
expect "diff of the edits" "room 1 flags: water on -> water off
item 0 x: 1536 -> 1040
item 0 angle: 16384 -> 32768" "$(cat "$scratch/diff.txt")"

# The same edits from a script, with comments and blank lines: the same file.
printf '# move the first item\n\nitem 0 x=1040 angle=180\n  room 1 water_enabled=off\n' \
  > "$scratch/good.txt"
"$cli" edit "$demo" "$scratch/b.tr4" --script "$scratch/good.txt" > /dev/null
expect "exit code of a script" 0 $?
cmp -s "$scratch/a.tr4" "$scratch/b.tr4" || { echo "FAILED: script and arguments differ"; fail=1; }

# A bad third line: nothing written, the line named on stderr.
printf 'item 0 x=1040\n# fine so far\nitem 0 colour=red\nroom 1 water_enabled=on\n' \
  > "$scratch/bad.txt"
"$cli" edit "$demo" "$scratch/c.tr4" --script "$scratch/bad.txt" > "$scratch/out.txt" 2> "$scratch/err.txt"
expect "exit code of a bad script" 1 $?
[ -e "$scratch/c.tr4" ] && { echo "FAILED: a refused script wrote its output"; fail=1; }
grep -q '^qavel-cli: line 3: item 0 colour=red: an item has no field "colour"' "$scratch/err.txt" ||
  { echo "FAILED: refusal does not name the line"; cat "$scratch/err.txt"; fail=1; }
"$cli" edit "$demo" "$scratch/c.tr4" 'item 0 x=5' 'room 9 sky=on' 2> "$scratch/err.txt"
expect "exit code of a bad argument" 1 $?
grep -q '^qavel-cli: edit 2: room 9 sky=on: room 9 does not exist' "$scratch/err.txt" ||
  { echo "FAILED: refusal does not name the edit"; cat "$scratch/err.txt"; fail=1; }
[ -e "$scratch/c.tr4" ] && { echo "FAILED: a refused edit wrote its output"; fail=1; }
"$cli" edit "$demo" "$scratch/c.tr4" --script "$scratch/missing.txt" 2> /dev/null
expect "exit code of a missing script" 1 $?

"$cli" help edit | grep -q 'quicksand_enabled' || { echo "FAILED: help edit lacks the room fields"; fail=1; }
exit $fail
