#!/usr/bin/env bash
# CPU load of `corvane live --no-editor` on a private jackd (dummy driver,
# 48 kHz, synchronous), fed a sine by jack_simple_client: for each period and
# oversampling setting, the program's CPU time (user + system, all threads,
# from /proc/PID/stat) over SECONDS_PER_RUN as a share of one core, and the
# xruns it counted. (The server's own DSP load says little here: the dummy
# driver without real-time scheduling reports nearly 100 % with any client.)
#
#   bench/live-cpu.sh [BUILD-DIR]      PERIODS="64 256" SECONDS_PER_RUN=10 to change
set -euo pipefail
build=${1:-build}
periods=${PERIODS:-64 256}
seconds=${SECONDS_PER_RUN:-10}
corvane=$build/bin/corvane
[ -x "$corvane" ] || { echo "no $corvane; build first (cmake --build $build)" >&2; exit 1; }
# shellcheck source=../tests/jack-server.sh
. "$(dirname "$0")/../tests/jack-server.sh"
work=$(mktemp -d)
live=
sine=
cleanup() {
  for p in $live $sine; do kill "$p" 2>/dev/null || true; done
  jack_server_stop
  rm -rf "$work"
}
trap cleanup EXIT
ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

printf '%-8s %-13s %8s %6s\n' period oversampling "CPU %" xruns
for period in $periods; do
  export JACK_DEFAULT_SERVER=corvane_bench_$$
  jack_server_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" -r 48000 -p "$period"
  jack_simple_client >/dev/null 2>&1 &
  sine=$!
  for oversampling in off on; do
    "$corvane" live --no-editor -p Oversampling=$oversampling -p Gain=25dB >"$work/live.out" 2>&1 &
    live=$!
    for _ in $(seq 100); do grep -q "running at" "$work/live.out" && break; sleep 0.05; done
    jack_connect jack_simple_client:output1 corvane:in_1
    jack_connect jack_simple_client:output2 corvane:in_2
    sleep 2
    before=$(cpu_ticks "$live")
    sleep "$seconds"
    after=$(cpu_ticks "$live")
    kill -TERM "$live"
    wait "$live" || true
    live=
    xruns=$(sed -n 's/^stopped: .*; \([0-9]*\) xruns.*/\1/p' "$work/live.out")
    cpu=$(awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * t / hz / s }')
    printf '%-8s %-13s %8s %6s\n' "$period" "$oversampling" "$cpu" "$xruns"
  done
  kill "$sine" 2>/dev/null || true
  wait "$sine" 2>/dev/null || true
  sine=
  jack_server_stop
done
