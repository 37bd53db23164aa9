#!/usr/bin/env bash
# Builds Qavel in Release and makes the Debian package of it: build-release/qavel_VERSION_ARCH.deb.
# Install it with `sudo apt install ./build-release/qavel_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQAVEL_GUI=ON -DQAVEL_BENCH=OFF \
  > /dev/null
cmake --build build-release -j"${JOBS:-$(nproc)}" --target qavel qavel-cli qavel_manual \
  qavel-cli_manual qavel-cli_completion qavel_icons
(cd build-release && cpack -G DEB)
ls build-release/qavel_*.deb
