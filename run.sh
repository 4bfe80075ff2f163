#!/usr/bin/env bash
# Installs what is missing, builds Lumaro and lumaro-cli, and starts the browser. Its data
# (favourites, settings, logins) lives in ./data, outside the build tree.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages
source scripts/readability.sh
ensure_readability
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --parallel "$(nproc)" --target lumaro lumaro-cli
echo "Programs: $(pwd)/build/app/lumaro and $(pwd)/build/tools/lumaro-cli; data: $(pwd)/data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. Start Lumaro under a virtual X server instead, for example:"
  echo "  xvfb-run -a $(pwd)/build/app/lumaro"
  exit 1
fi
exec build/app/lumaro "$@"
