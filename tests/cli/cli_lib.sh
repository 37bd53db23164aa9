# Sourced by the qavel-cli tests: their arguments (CLI DATA SCRATCH), the demo level, a fresh
# scratch folder, and the ways they check. Every check that fails says FAILED and sets fail.
set -u
cli="$1"; data="$2"; scratch="$3"; demo="$data/demo.tr4"
[ -f "$demo" ] || { echo "demo level $demo absent; skipped"; exit 77; }
rm -rf "$scratch"; mkdir -p "$scratch/.io"
fail=0
exec 3>&1  # the test's own output, for notes from inside captured commands
runner="$cli"  # what refused runs; a test may put a wrapper of the program here
no() { echo "FAILED: $*"; fail=1; }
expect() {  # expect NAME EXPECTED ACTUAL
  [ "$2" = "$3" ] || { no "$1"; diff <(echo "$2") <(echo "$3"); }
}
check() { "$@" > /dev/null || no "$*"; }
# What the scratch folder holds, file by file.
contents() { find "$scratch" -path "$scratch/.io" -prune -o -type f -print0 | sort -z | xargs -0 -r md5sum; }
# refused [-CODE] MESSAGE ARGS...: the program run with ARGS ends (within 20 s) with a non-zero exit
# (CODE where given), says MESSAGE in exactly one line on stderr, prints nothing on stdout, and
# leaves every file in the scratch folder as it was.
refused() {
  local code=""; [[ "$1" == -[0-9]* ]] && { code="${1#-}"; shift; }
  local message="$1"; shift
  local before; before=$(contents)
  if declare -F "$runner" > /dev/null; then
    "$runner" "$@" > "$scratch/.io/out" 2> "$scratch/.io/err"
  else
    timeout 20 "$runner" "$@" > "$scratch/.io/out" 2> "$scratch/.io/err"
  fi
  local rc=$?
  if [ $rc -eq 0 ] || [ $rc -eq 124 ] || { [ -n "$code" ] && [ $rc -ne "$code" ]; }; then
    no "exit $rc of $*"
  fi
  [ "$(wc -l < "$scratch/.io/err")" -eq 1 ] && grep -qF -- "$message" "$scratch/.io/err" ||
    { no "the message of $* is not one line saying \"$message\":"; cat "$scratch/.io/err"; }
  [ -s "$scratch/.io/out" ] && no "$* printed on stdout"
  [ "$before" = "$(contents)" ] || no "$* changed the scratch folder"
}
finish() { [ $fail -eq 0 ] && echo "$(basename "$0" .sh): all checks passed"; exit $fail; }
