#!/usr/bin/env bash
# clang-tidy over the plain C++ layers (the Qt layers take too long for every run).
# Usage: scripts/tidy.sh [BUILD_DIR]   (a configured build with compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
files=$(ls src/level/*.cpp src/floordata/*.cpp src/exchange/*.cpp 2>/dev/null)
clang-tidy -p "$build" --quiet $files
