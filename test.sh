#!/usr/bin/env bash
# Installs what is missing, builds Lumaro and runs every test without a display:
# the core tests once more under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers,
# then all tests (core, commands, end-to-end with the real engine).
# Every stage runs even when an earlier one failed; the script fails at the end, naming the
# stages that failed, and prints how long each stage took.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages ccache
source scripts/readability.sh
ensure_readability
source scripts/testenv.sh

jobs=$(nproc)
# Three builds of one tree fit in ccache's store, and a clone in another folder finds the
# objects of this one (paths are taken relative to the clone).
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-12G}
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
stage_names=()
stage_results=()
# Runs one stage in a subshell that stops at its first failing command.
stage() {
  local name=$1 start=$SECONDS rc
  shift
  echo "== $name"
  set +e
  (
    set -e
    "$@"
  )
  rc=$?
  set -e
  stage_names+=("$name")
  stage_results+=("$((SECONDS - start)) s $([ "$rc" -eq 0 ] && echo ok || echo FAILED)")
}

# The core, and the shell with its command tests (fake engine and dialogs), under the
# sanitizers; the engine and the end-to-end tests are left out of this build.
sanitize_build() {
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMARO_SANITIZE=ON \
    -DLUMARO_BROWSER=ON -DLUMARO_ENGINE=OFF -DLUMARO_BENCH=OFF >/dev/null
  cmake --build build-sanitize --parallel "$jobs"
}
sanitize_tests() {
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    ctest --test-dir build-sanitize --output-on-failure -L 'core|commands|browser' -j "$jobs"
}

# Each fuzz target for 30 s, seeded from the test data.
fuzz() {
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DLUMARO_FUZZ=ON \
    -DLUMARO_BROWSER=OFF -DLUMARO_BENCH=OFF >/dev/null
  cmake --build build-fuzz --parallel "$jobs" --target fuzz_text fuzz_charsets
  local target corpus
  for target in fuzz_text fuzz_charsets; do
    corpus=$(mktemp -d)
    cp tests/data/pages/* tests/data/encodings/* "$corpus"/
    (cd "$corpus" && "$OLDPWD/build-fuzz/tests/fuzz/$target" -max_total_time=30 \
      -print_final_stats=0 "$corpus" 2>&1 | tail -1)
    rm -rf "$corpus"
  done
}

release_build() {
  cmake -S . -B build -G Ninja >/dev/null
  cmake --build build --parallel "$jobs"
}
release_tests() {
  export_test_environment
  ctest --test-dir build --output-on-failure
}

stage "sanitizer build" sanitize_build
stage "sanitizer tests" sanitize_tests
stage "fuzzers" fuzz
stage "release build" release_build
stage "all tests" release_tests

echo "== stages"
failed=0
for i in "${!stage_names[@]}"; do
  printf '%-16s %s\n' "${stage_names[$i]}" "${stage_results[$i]}"
  case ${stage_results[$i]} in *FAILED) failed=1 ;; esac
done
exit "$failed"
