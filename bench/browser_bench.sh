#!/usr/bin/env bash
# Start-up time and memory of Lumaro, side by side with a bare Qt WebEngine view, under a
# virtual X server. Usage: bench/browser_bench.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bench="$build/bench/browser_bench"
[ -x "$bench" ] || { echo "build the target browser_bench first" >&2; exit 2; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp -r "$build/app/." "$folder/"
rm -rf "$folder/profile" "$folder/lumaro" "$folder/CMakeFiles"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"; fi
export QT_LOGGING_RULES="qt.webenginecontext.info=false"

run() { xvfb-run -a -s "-screen 0 1280x900x24" "$@" 2>/dev/null; }

# Milliseconds from starting the process to the favourites page loaded; median of five.
startup() {
  local times=() t0 line
  for _ in 1 2 3 4 5; do
    t0=$(date +%s%N)
    line=$(run "$bench" "$folder" "$@" | grep loaded_ns=)
    times+=($(( (${line#loaded_ns=} - t0) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

echo "start to favourites page loaded (median of 5, includes the X server start):"
minimal=$(startup --minimal)
lumaro=$(startup)
echo "  bare QWebEngineView: ${minimal} ms"
echo "  lumaro:              ${lumaro} ms  ($(echo "scale=2; $lumaro / $minimal" | bc) x)"
echo "tabs of small pages from a local server (PSS of the program and all engine processes):"
for n in 1 10 50; do
  echo "  $(run "$bench" "$folder" --tabs "$n" | grep tabs=)"
done
echo "saving 50 open pages of about 200 KB (the window's own thread, as the user waits):"
echo "  $(run "$bench" "$folder" --tabs 50 --save | grep save:)"
echo "opening the 100 links of a page (OpenAllWFromC):"
echo "  $(run "$bench" "$folder" --harvest 100 | grep harvest:)"
