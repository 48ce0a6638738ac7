#!/usr/bin/env bash
# Every test: the code style and function-length checks, the optimised build
# with -Werror, the Debian package installed and run, the whole suite again under
# AddressSanitizer + UndefinedBehaviorSanitizer, the concurrency tests under
# ThreadSanitizer, the installed-package consumer, and each fuzz target for a
# bounded number of runs.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
fuzz_runs=${CORVANE_FUZZ_RUNS:-20000}
start=$(date +%s)
passed=0
failed=0
# Runs ctest in a build folder and adds its counts to the totals.
run_ctest() { # dir, ctest args...
  local dir=$1; shift
  local log
  log=$(mktemp)
  local status=0
  (cd "$dir" && ctest "$@") 2>&1 | tee "$log" || status=1
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  rm -f "$log"
  if [ -n "$line" ]; then
    local total fails
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    fails=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - fails))
    failed=$((failed + fails))
  fi
  [ "$status" -eq 0 ] || { echo "$passed passed, $((failed > 0 ? failed : 1)) failed"; exit 1; }
}
step() { printf '\n== %s (%ds)\n' "$1" $(( $(date +%s) - start )); }

configure() { # dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
}

step "code style"
if scripts/check-format.sh; then
  passed=$((passed + 1))
else
  echo "$passed passed, 1 failed"
  exit 1
fi

# --- Function lengths (scripts/function-lengths.sh) ---
step "function lengths"
if scripts/function-lengths.sh --top 5; then
  passed=$((passed + 1))
else
  echo "$passed passed, 1 failed"
  exit 1
fi

step "optimised build"
configure build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
run_ctest build -j "$jobs" --output-on-failure --timeout 300

# --- Debian package (scripts/check-package.sh): make package, installed with
# apt-get, run from the PATH, listed by lv2ls, purged again whatever happens ---
step "Debian package"
if scripts/check-package.sh build; then
  passed=$((passed + 1))
else
  echo "$passed passed, $((failed + 1)) failed"
  exit 1
fi

# The sanitized builds carry line tables only (-g1): reports still name file
# and line, and the builds take a quarter less time than with full debug info.
step "AddressSanitizer + UndefinedBehaviorSanitizer"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DCORVANE_SANITIZE="address;undefined" -DCORVANE_BENCH=OFF
cmake --build build-asan -j "$jobs"
# Mesa's drivers keep dynamic thread-local storage that GCC's leak checker
# tracks wrongly (it then crashes while stopping the threads at exit): its
# __tls_get_addr tracking stays off, and leaks are still checked.
ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 run_ctest build-asan -j "$jobs" --output-on-failure --timeout 600

step "ThreadSanitizer (concurrency tests)"
configure build-tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DCORVANE_SANITIZE=thread -DCORVANE_BENCH=OFF
cmake --build build-tsan -j "$jobs" --target concurrency_tests
TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan -j "$jobs" -L concurrency --output-on-failure --timeout 600

step "fuzz targets ($fuzz_runs runs each)"
CC=clang CXX=clang++ configure build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DCORVANE_FUZZ=ON -DCORVANE_SANITIZE="address;undefined" -DCORVANE_BENCH=OFF
cmake --build build-fuzz -j "$jobs" --target fuzzers
for f in build-fuzz/bin/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus=tests/fuzz/corpus/${name#fuzz_}
  mkdir -p "build-fuzz/corpus/$name"
  dirs=("build-fuzz/corpus/$name")
  [ -d "$corpus" ] && dirs+=("$corpus")
  # A target whose reader takes larger inputs names its own flags in
  # tests/fuzz/NAME.options (they come last, so they win).
  options=()
  [ -f "tests/fuzz/${name#fuzz_}.options" ] && read -ra options <"tests/fuzz/${name#fuzz_}.options"
  echo "$name"
  if "$f" -runs="$fuzz_runs" -max_len=4096 -seed=1 "${options[@]}" "${dirs[@]}" 2>"build-fuzz/$name.log"; then
    passed=$((passed + 1))
  else
    tail -40 "build-fuzz/$name.log"
    echo "$passed passed, $((failed + 1)) failed"
    exit 1
  fi
done

step "done"
echo "$passed passed, $failed failed"
