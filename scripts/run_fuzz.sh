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
# Reader seeds: our own small levels, the demo level and the real levels where present.
reader_seeds="$build/fuzz/seeds-reader"
mkdir -p "$reader_seeds"
[ -x "$build/fuzz/make_fuzz_seeds" ] && "$build/fuzz/make_fuzz_seeds" "$reader_seeds"
[ -f "$root/data/demo.tr4" ] && cp "$root/data/demo.tr4" "$reader_seeds/"
levels="$root/../shared/levels"
for t in "${targets[@]}"; do
  [ -f "$t" ] && [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="$build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  seeds="$root/fuzz/seeds/$name"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  max_len=262144
  if [ "$name" = fuzz_level_reader ] || [ "$name" = fuzz_zfile ] || [ "$name" = fuzz_check ]; then
    args+=("$reader_seeds")
    # The real levels are megabytes each: run each once as it is, then mutate the small seeds.
    if [ -d "$levels" ]; then
      find "$levels" -type f ! -name README.md -print0 | xargs -0 -r "$t" >"$build/fuzz/$name.real.log" 2>&1 || {
        tail -50 "$build/fuzz/$name.real.log"; echo "fuzz target $name failed on a real level"; exit 1; }
    else
      echo "real levels absent: fuzzing without them"
    fi
  fi
  echo "fuzzing $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=4096 -timeout=20 \
       -print_final_stats=0 "${args[@]}" 2>"$build/fuzz/$name.log" || {
    tail -50 "$build/fuzz/$name.log"; echo "fuzz target $name failed"; exit 1; }
  grep -E "^Done|#[0-9]+.*DONE" "$build/fuzz/$name.log" | tail -1 || true
done
echo "fuzzing: all targets ran clean"
