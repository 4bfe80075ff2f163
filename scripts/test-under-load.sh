#!/usr/bin/env bash
# Runs the command and end-to-end tests of an existing build (./test.sh or run.sh made it)
# while other processes keep every processor busy, round after round, and says which tests
# failed in which round; the output of each failed test is kept in the folder it names.
# A test that waits for time instead of for its event fails here.
#   scripts/test-under-load.sh [ROUNDS] [SPINNERS] [CTEST_LABELS]
# Defaults: 3 rounds, two spinning processes per processor, 'commands|e2e'. BUILD_DIR names
# another build folder than build (so that build can be rebuilt meanwhile). A test that dies
# leaves its core in its own folder of the build (where the system's core_pattern says "core").
set -uo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
spinners=${2:-$(($(nproc) * 2))}
labels=${3:-commands|e2e}

source scripts/testenv.sh
export_test_environment

pids=()
stop_spinners() { [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null; }
trap stop_spinners EXIT
for ((i = 0; i < spinners; ++i)); do
  (while :; do :; done) &
  pids+=($!)
done

logs=$(mktemp -d)
clean=0
for ((round = 1; round <= rounds; ++round)); do
  log=$logs/round$round.log
  start=$SECONDS
  (ulimit -c unlimited && ctest --test-dir "${BUILD_DIR:-build}" -L "$labels" --output-on-failure) \
    >"$log" 2>&1
  rc=$?
  echo "round $round: $((SECONDS - start)) s, load $(cut -d' ' -f1 /proc/loadavg), exit $rc"
  grep -E '^\s+[0-9]+ - .* \((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception)' "$log"
  if [ "$rc" -eq 0 ]; then
    clean=$((clean + 1))
    rm -f "$log"
  fi
done
echo "$clean of $rounds rounds without a failure; the output of the others: $logs"
[ "$clean" -eq "$rounds" ]
