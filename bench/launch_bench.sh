#!/usr/bin/env bash
# The window's launch as a user meets it: a fresh `qavel LEVEL` under Xvfb with QAVEL_TIMING=1,
# RUNS times (default 7); prints the median of "frame shown", "level read" and "room shown" (ms
# from process start) and the ratio room/frame (goal: at most 1.5 on the largest real level).
# Run: bench/launch_bench.sh build/app/qavel/qavel LEVEL [RUNS]   (needs xvfb-run)
set -u
qavel="$1"; level="$2"; runs="${3:-7}"
out=$(mktemp -d); trap 'rm -rf "$out"' EXIT
for i in $(seq "$runs"); do
  QAVEL_TIMING=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$1" "$2" 2> "$3" & pid=$!
    for t in $(seq 200); do grep -q "room shown" "$3" && break; sleep 0.05; done
    kill $pid; wait $pid 2> /dev/null' _ "$qavel" "$level" "$out/run$i"
done
median() { grep -h "^$1 " "$out"/run* | awk '{print $3}' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
frame=$(median "frame shown"); read=$(median "level read"); room=$(median "room shown")
echo "$(basename "$level"): frame shown $frame ms, level read $read ms, room shown $room ms (medians of $runs)"
awk -v r="$room" -v f="$frame" 'BEGIN { printf "room/frame %.2f\n", r / f }'
