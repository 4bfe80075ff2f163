#!/usr/bin/env bash
# Start-up time and memory of Lumaro, side by side with a bare Qt WebEngine view, under a
# virtual X server. Usage: bench/browser_bench.sh [BUILD_DIR]
# With --search, the results page instead: from the page asked for (as its script asks once the
# typing stops) to loaded and to painted, plain and filtered queries.
# Usage: bench/browser_bench.sh BUILD_DIR --search SAVE_FOLDER INDEX_FOLDER [WORDS]
# INDEX_FOLDER is an index of SAVE_FOLDER (bench/index_bench leaves one in FOLDER/index); it is
# copied, so the window only checks the files instead of indexing them.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bench="$build/bench/browser_bench"
[ -x "$bench" ] || { echo "build the target browser_bench first" >&2; exit 2; }
folder=$(mktemp -d)
cp -r "$build/app/." "$folder/"
rm -rf "$folder/profile" "$folder/lumaro" "$folder/CMakeFiles"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"; fi
export QT_LOGGING_RULES="qt.webenginecontext.info=false"

# One virtual X server for every run, so that its own start is not counted.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$folder"' EXIT
sleep 1
# Each run starts afresh: tabs a killed run left in the session file would be reopened.
run() { rm -f "$folder/session.json"; DISPLAY=$display "$@" 2>/dev/null; }

if [ "${2:-}" = --search ]; then
  cp -r "${4:?usage: $0 BUILD_DIR --search SAVE_FOLDER INDEX_FOLDER [WORDS]}" "$folder/index"
  run "$bench" "$folder" --search "$3" ${5:+--words "$5"} | grep '^results page'
  exit 0
fi

# Milliseconds from starting the process to the favourites page loaded.
startup() {
  local t0 line
  t0=$(date +%s%N)
  line=$(run "$bench" "$folder" "$@" | grep loaded_ns=)
  echo $(( (${line#loaded_ns=} - t0) / 1000000 ))
}

# The two programs take turns, eleven runs each; the medians are compared.
minimal_runs=() lumaro_runs=()
for _ in $(seq 11); do
  minimal_runs+=("$(startup --minimal)")
  lumaro_runs+=("$(startup)")
done
median() { printf '%s\n' "$@" | sort -n | sed -n 6p; }
minimal=$(median "${minimal_runs[@]}")
lumaro=$(median "${lumaro_runs[@]}")
echo "start to favourites page loaded (median of 11 runs each, taking turns):"
echo "  bare QWebEngineView: ${minimal} ms   (runs: ${minimal_runs[*]})"
echo "  lumaro:              ${lumaro} ms   (runs: ${lumaro_runs[*]})  ($(echo "scale=2; $lumaro / $minimal" | bc) x)"
echo "tabs of small pages from a local server (PSS of the program and all engine processes):"
for n in 1 10 50; do
  echo "  $(run "$bench" "$folder" --tabs "$n" | grep tabs=)"
done
echo "saving 50 open pages of about 200 KB (the window's own thread, as the user waits):"
echo "  $(run "$bench" "$folder" --tabs 50 --save | grep save:)"
echo "opening the 100 links of a page (OpenAllWFromC):"
echo "  $(run "$bench" "$folder" --harvest 100 | grep harvest:)"
