#!/usr/bin/env bash
# qavel-cli edit as a user runs it: edits given as arguments and as a script are written, and diff
# names exactly them; a bad script line or argument writes nothing and names itself. What each
# edit does is the unit tests' work.
source "$(dirname "$0")/cli_lib.sh"

check "$cli" edit "$demo" "$scratch/a.tr4" 'item 0 x=1040 angle=180' 'room 1 water_enabled=off'
expect "diff of the edits" "room 1 flags: water on -> water off
item 0 x: 1536 -> 1040
item 0 angle: 16384 -> 32768
1" "$("$cli" diff "$demo" "$scratch/a.tr4"; echo $?)"

# The same edits from a script, with comments and blank lines: the same file.
printf '# move the first item\n\nitem 0 x=1040 angle=180\n  room 1 water_enabled=off\n' \
  > "$scratch/good.txt"
check "$cli" edit "$demo" "$scratch/b.tr4" --script "$scratch/good.txt"
check cmp "$scratch/a.tr4" "$scratch/b.tr4"

# A bad third line or second argument: nothing written, the line or edit named.
printf 'item 0 x=1040\n# fine so far\nitem 0 colour=red\nroom 1 water_enabled=on\n' \
  > "$scratch/bad.txt"
refused -1 'qavel-cli: line 3: item 0 colour=red: an item has no field "colour"' \
  edit "$demo" "$scratch/c.tr4" --script "$scratch/bad.txt"
refused -1 'qavel-cli: edit 2: room 9 sky=on: room 9 does not exist' \
  edit "$demo" "$scratch/c.tr4" 'item 0 x=5' 'room 9 sky=on'
refused -1 "missing.txt" edit "$demo" "$scratch/c.tr4" --script "$scratch/missing.txt"

"$cli" help edit | grep -q 'quicksand_enabled' || no "help edit lacks the room fields"
finish
