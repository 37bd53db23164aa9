#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, seeded with our own data and the
# real levels where present. Usage: run_fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build="$1"
seconds="$2"
root="$(cd "$(dirname "$0")/.." && pwd)"
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then echo "no fuzz targets built"; exit 0; fi
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="$build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  seeds="$root/fuzz/seeds/$name"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  echo "fuzzing $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -max_len=4194304 -rss_limit_mb=4096 -timeout=20 \
       -print_final_stats=0 "${args[@]}" 2>"$build/fuzz/$name.log" || {
    tail -50 "$build/fuzz/$name.log"; echo "fuzz target $name failed"; exit 1; }
  grep -E "^Done|#[0-9]+.*DONE" "$build/fuzz/$name.log" | tail -1 || true
done
echo "fuzzing: all targets ran clean"
