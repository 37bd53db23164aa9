#!/usr/bin/env bash
# Builds Qavel and opens LEVEL (the bundled demo level when none is given).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
level="${1:-$here/data/demo.tr4}"
case "$level" in /*) ;; *) level="$PWD/$level" ;; esac
cd "$here"
./scripts/setup.sh
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQAVEL_GUI=ON >/dev/null
cmake --build build -j"$(nproc)" --target qavel-cli $( [ -f app/qavel/CMakeLists.txt ] && echo qavel )
if [ -x build/app/qavel/qavel ]; then
  exec build/app/qavel/qavel "$level"
fi
exec build/app/qavel-cli/qavel-cli info "$level"
