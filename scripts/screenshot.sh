#!/usr/bin/env bash
# Takes docs/screenshot.png: the window on the demo level (or LEVEL), under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
level="${1:-data/demo.tr4}"
export CCACHE_BASEDIR="$PWD"
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQAVEL_BENCH=OFF >/dev/null
fi
cmake --build build -j2 --target qavel
mkdir -p docs
xvfb-run -a -s "-screen 0 1120x900x24 -noreset" bash -c "
  build/app/qavel/qavel '$level' &
  pid=\$!
  sleep 4
  import -window root -crop 1100x860+0+0 docs/screenshot.png
  kill \$pid"
echo "wrote docs/screenshot.png"
