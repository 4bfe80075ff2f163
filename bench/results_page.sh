#!/usr/bin/env bash
# The results page in the real window under a virtual X server: from the page asked for (as
# its script asks once the typing stops) to loaded and to painted, plain and filtered queries.
# Usage: bench/results_page.sh BUILD_DIR SAVE_FOLDER INDEX_FOLDER [WORDS]
# INDEX_FOLDER is an index of SAVE_FOLDER (bench/index_bench leaves one in FOLDER/index); it
# is copied, so the window only checks the files instead of indexing them.
set -euo pipefail
build=$(cd "$1" && pwd)
save=$2
index=$3
bench="$build/bench/browser_bench"
[ -x "$bench" ] || { echo "build the target browser_bench first" >&2; exit 2; }
folder=$(mktemp -d)
cp -r "$build/app/." "$folder/"
rm -rf "$folder/profile" "$folder/lumaro" "$folder/CMakeFiles"
cp -r "$index" "$folder/index"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"; fi
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$folder"' EXIT
sleep 1
DISPLAY=$display "$bench" "$folder" --search "$save" ${4:+--words "$4"} 2>/dev/null |
  grep '^results page'
