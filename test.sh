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
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMARO_SANITIZE=ON \
  -DLUMARO_BROWSER=OFF -DLUMARO_BENCH=OFF >/dev/null
cmake --build build-sanitize --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-sanitize --output-on-failure -L core -j "$jobs"

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
