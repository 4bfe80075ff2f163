#!/usr/bin/env bash
# Side by side, in one run: lumaro-cli totext against w3m -dump (and html2text when present)
# on one large real page (default: Debian's Node.js API reference, about 8 MB, repeated to
# 10 MB). Usage: bench/totext_vs_w3m.sh [BUILD_DIR] [PAGE]
set -euo pipefail
build=${1:-build}
page=${2:-/usr/share/doc/nodejs/api/all.html}
cli="$build/tools/lumaro-cli"
[ -x "$cli" ] || { echo "build lumaro-cli first ($cli missing)" >&2; exit 2; }
[ -f "$page" ] || { echo "no page at $page" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
while [ "$(stat -c %s "$work/page.html" 2>/dev/null || echo 0)" -lt 10000000 ]; do
  cat "$page" >>"$work/page.html"
done
head -c 10485760 "$work/page.html" >"$work/p.html"
size=$(stat -c %s "$work/p.html")

# Best of three wall-clock runs, in seconds.
best() {
  local best=999999 t0 t1 t
  for _ in 1 2 3; do
    t0=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s.%N)
    t=$(echo "$t1 - $t0" | bc -l)
    best=$(echo "if ($t < $best) $t else $best" | bc -l)
  done
  echo "$best"
}

report() {
  local name=$1 seconds=$2
  printf '%-28s %8.3f s  %8.1f MB/s\n' "$name" "$seconds" "$(echo "$size / 1048576 / $seconds" | bc -l)"
}

echo "page: $page as $size bytes"
lum=$(best "$cli" totext --delete-script "$work/p.html")
report "lumaro-cli totext" "$lum"
if command -v w3m >/dev/null; then
  w3m=$(best w3m -dump -T text/html "$work/p.html")
  report "w3m -dump" "$w3m"
  printf 'lumaro-cli is %.1f times as fast as w3m -dump\n' "$(echo "$w3m / $lum" | bc -l)"
fi
if command -v html2text >/dev/null; then
  report "html2text" "$(best html2text "$work/p.html")"
fi
