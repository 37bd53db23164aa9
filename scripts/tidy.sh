#!/usr/bin/env bash
# clang-tidy over every layer, the programs, benchmarks and fuzz targets of a configured build.
# Usage: scripts/tidy.sh [BUILD_DIR] [FILE...]   (BUILD_DIR holds compile_commands.json)
# It takes several minutes on two cores; name files to check only those.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
shift || true
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files 'src/*.cpp' 'app/*.cpp')
fi
jobs=$(nproc)
printf '%s\n' "${files[@]}" | xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet
