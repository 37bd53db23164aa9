#!/usr/bin/env bash
# Builds Qavel and runs every check: the format check, the normal build and its tests (clang-tidy
# going over the sources beside them), the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, each fuzz target for a bounded time while a GCC Debug build of the
# plain layers and the tool uses the other core. Warnings are errors in all of these builds.
# QAVEL_QUICK=1 stops after the normal build's tests (and skips clang-tidy).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh

export CCACHE_BASEDIR="$PWD"
# Compiled objects do not depend on the folder of the checkout, so every checkout on this machine
# (a fresh clone of the CI included) shares ccache's entries. The price: a debugger may look for
# the sources of a cached object in the checkout that compiled it first.
export CCACHE_NOHASHDIR=1
JOBS=${JOBS:-$(nproc)}
quick=${QAVEL_QUICK:-0}

# Each stage is timed; the times are printed at the end, also when a stage fails.
stage_name=""
stage_start=$SECONDS
stage_times=()
stage() {
  if [ -n "$stage_name" ]; then
    stage_times+=("$(printf '  %-52s %5d s' "$stage_name" $((SECONDS - stage_start)))")
  fi
  stage_name="$1"
  stage_start=$SECONDS
  if [ -n "$1" ]; then echo "== $1"; fi
}
report_times() {
  # Work left running in the background when a stage fails goes with the script (each job is a
  # process group of its own).
  for pid in $(jobs -p); do kill -- "-$pid" 2>/dev/null || true; done
  stage ""
  echo "== stage times"
  printf '%s\n' "${stage_times[@]}"
  printf '  %-52s %5d s\n' "total" "$SECONDS"
}
trap report_times EXIT

stage "format"
# Every C++ file of ours is formatted; a file that is not fails the run.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

stage "build (GCC, RelWithDebInfo)"
CC=gcc CXX=g++ cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQAVEL_GUI=ON \
  -DQAVEL_BENCH=ON -DQAVEL_WERROR=ON >/dev/null
cmake --build build -j"$JOBS"

tidy=""
if [ "$quick" != 1 ]; then
  # clang-tidy goes over src/ and app/ with the normal build's compile commands, one file at a
  # time beside the rest of the run (files unchanged since a clean check are skipped); the fuzzing
  # stage lets it take a second core when the fuzz targets are done.
  setsid nice -n 5 python3 scripts/tidy.py -p build -j1 >build/tidy.log 2>&1 &
  tidy=$!
fi

stage "tests"
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j"$JOBS")

if [ "$quick" = 1 ]; then exit 0; fi

stage "sanitizer build (clang, ASan + UBSan, fuzz targets)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQAVEL_SANITIZE=ON -DQAVEL_FUZZ=ON -DQAVEL_WERROR=ON -DQAVEL_BENCH=OFF -DQAVEL_GUI=ON >/dev/null
cmake --build build-asan -j"$JOBS"
stage "tests under sanitizers"
# intercept_tls_get_addr=0: LeakSanitizer's record of the thread-local blocks of libraries
# loaded at run time (the GL driver's) goes wrong now and then, and its scan at exit then
# crashes ("Tracer caught signal 11") on a block that does not exist. Those blocks are left out
# of the scan; what they alone hold belongs to the driver, whose leaks are suppressed anyway.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Mesa unloads its software driver before a process ends, so LeakSanitizer cannot name the
# module of the driver's own leaks and the suppressions miss them; kept loaded, they match.
gl_driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)
(cd build-asan && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  env LD_PRELOAD="$gl_driver" ctest --output-on-failure -j"$JOBS")

stage "fuzzing, beside it the GCC Debug build"
# A fuzz target runs for a fixed time on one core; the other core meanwhile compiles the plain
# layers and the tool without Qt in GCC's Debug mode, whose warnings differ from the optimised
# builds'.
mkdir -p build-plain
setsid bash -c 'CC=gcc CXX=g++ cmake -S . -B build-plain -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQAVEL_GUI=OFF -DQAVEL_BENCH=OFF -DQAVEL_WERROR=ON >/dev/null &&
  cmake --build build-plain -j1 --target qavel_layers qavel-cli' >build-plain/build.log 2>&1 &
plain=$!
fuzz_status=0
./scripts/run_fuzz.sh build-asan "${FUZZ_SECONDS:-30}" || fuzz_status=$?
kill -USR1 "$tidy" 2>/dev/null || true # the fuzzer's core is free: clang-tidy may take it
stage "GCC Debug build of the plain layers (after fuzzing)"
if ! wait "$plain"; then
  tail -n 60 build-plain/build.log
  echo "the GCC Debug build of the plain layers failed (build-plain/build.log)"
  exit 1
fi
stage "clang-tidy (what is left after fuzzing)"
tidy_status=0
wait "$tidy" || tidy_status=$?
grep -v "warnings generated\|^Suppressed\|^Use -header-filter\|NOLINT" build/tidy.log | tail -n 80
if [ "$tidy_status" != 0 ]; then
  echo "clang-tidy has findings (build/tidy.log): fix them, or say why not with NOLINT(check): reason"
  exit 1
fi
exit "$fuzz_status"
