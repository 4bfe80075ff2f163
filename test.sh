#!/usr/bin/env bash
# Installs what is missing, builds Lumaro and runs every test without a display:
# the core tests once more under AddressSanitizer and UndefinedBehaviorSanitizer, then all
# tests (core, commands, end-to-end with the real engine).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages
source scripts/readability.sh
ensure_readability

jobs=$(nproc)
# The core, and the shell with its command tests (fake engine and dialogs), under the
# sanitizers; the engine and the end-to-end tests are left out of this build.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMARO_SANITIZE=ON \
  -DLUMARO_BROWSER=ON -DLUMARO_ENGINE=OFF -DLUMARO_BENCH=OFF >/dev/null
cmake --build build-sanitize --parallel "$jobs"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
  ctest --test-dir build-sanitize --output-on-failure -L 'core|commands|browser' -j "$jobs"

# Each fuzz target for 30 s, seeded from the test data.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DLUMARO_FUZZ=ON \
  -DLUMARO_BROWSER=OFF -DLUMARO_BENCH=OFF >/dev/null
cmake --build build-fuzz --parallel "$jobs" --target fuzz_text fuzz_charsets
for target in fuzz_text fuzz_charsets; do
  corpus=$(mktemp -d)
  cp tests/data/pages/* tests/data/encodings/* "$corpus"/
  (cd "$corpus" && "$OLDPWD/build-fuzz/tests/fuzz/$target" -max_total_time=30 -print_final_stats=0 \
    "$corpus" 2>&1 | tail -1)
  rm -rf "$corpus"
done

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --parallel "$jobs"

export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
# The engine refuses to run as root with its sandbox on; only tests turn it off.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
  export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox"
fi
ctest --test-dir build --output-on-failure
