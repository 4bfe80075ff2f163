#!/usr/bin/env bash
# Keeping pages whole against the all-pages HTML save, with the real program under Xvfb:
#  - N open pages (real documentation pages with their own styles, fonts and scripts, served
#    from 127.0.0.1) saved by saveallo and by saveallwhole: pages per second, and the peak
#    memory of the window process and of the whole program meanwhile;
#  - one article saved whole alone: its file's size against the sum of its parts (the page and
#    every file it used, as the server sent them).
# Usage: bench/whole_pages.sh BUILD_DIR [SITE_DIR] [N]
# SITE_DIR holds the pages (any folder of .html files; by default Rust's documentation, which
# rustup installs under ~/.rustup/toolchains/*/share/doc/rust/html).
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [SITE_DIR] [N]}" && pwd)
site=${2:-$(dirname "$(ls -d ~/.rustup/toolchains/*/share/doc/rust/html/book 2>/dev/null | head -1)")}
count=${3:-200}
[ -d "$site" ] || { echo "no folder of pages: give SITE_DIR" >&2; exit 2; }
lumaro=$build/app/lumaro
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR" "$work/data" "$work/data/group" "$work/save"
cleanup() {
  pkill -f "lumaro --data-dir $work/data" 2>/dev/null || true
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
printf '%s\r\n' "$work/save" >"$work/data/savepath.ini"

port=$((20000 + RANDOM % 20000))
(cd "$site" && exec python3 -m http.server "$port" --bind 127.0.0.1 >"$work/server.log" 2>&1) &
server=$!
# The pages: book chapters and library pages under 400 KB that stay where they are, each title
# once (files are named after titles, and a name met twice would stop the batch with a question).
python3 - "$site" "$count" >"$work/pages" <<'PY'
import html, os, re, sys
site, count = sys.argv[1], int(sys.argv[2])
seen, chosen = set(), []
for top in ("book", "std", "."):
    for root, _, files in sorted(os.walk(os.path.join(site, top))):
        for name in sorted(files):
            path = os.path.join(root, name)
            if not name.endswith(".html") or os.path.getsize(path) > 400 * 1024:
                continue
            head = open(path, errors="replace").read(8192)
            if "http-equiv" in head.lower():
                continue  # a page that sends the browser on to another
            m = re.search(r"<title>(.*?)</title>", head, re.S)
            key = re.sub(r"\W", "", html.unescape(m.group(1))) if m else ""
            if key and key not in seen and len(chosen) < count:
                seen.add(key)
                chosen.append(os.path.relpath(path, site))
print("\n".join(chosen))
PY
awk -v p="$port" '{ printf "P%d(http://127.0.0.1:%s/%s)\r\n", NR, p, $0 }' "$work/pages" \
  >"$work/data/group/pages.txt"
pages=$(wc -l <"$work/pages")

Xvfb :74 -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:74 QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:-} --disable-gpu"
sleep 1

window_pid() { pgrep -f "^$lumaro --data-dir $work/data$" | head -1; }
# Runs a command key and waits until `want` files with the extension are in the save folder;
# prints the seconds taken and the peak RSS of the window and of the whole program, in MB.
timed_save() {
  local key=$1 extension=$2 want=$3
  rm -f "$work/save"/*."$extension"
  python3 - "$lumaro" "$work/data" "$work/save" "$key" "$extension" "$want" "$(window_pid)" <<'PY'
import glob, os, subprocess, sys, time
lumaro, data, save, key, ext, want, pid = sys.argv[1:8]
want, pid = int(want), int(pid)
def rss(p):
    try:
        for line in open(f"/proc/{p}/status"):
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0
def tree(p):
    out = [p]
    for child in subprocess.run(["pgrep", "-P", str(p)], capture_output=True, text=True).stdout.split():
        out += tree(int(child))
    return out
start = time.time()
subprocess.run([lumaro, "--data-dir", data, "--command", key], capture_output=True)
peak_window = peak_all = 0
while time.time() - start < 1800:
    done = len(glob.glob(f"{save}/*.{ext}"))
    peak_window = max(peak_window, rss(pid))
    peak_all = max(peak_all, sum(rss(p) for p in tree(pid)))
    if done >= want:
        break
    time.sleep(0.1)
took = time.time() - start
print(f"{key}: {done} pages in {took:.1f} s = {done / took:.1f} pages/s; peak RSS window "
      f"{peak_window:.0f} MB, program {peak_all:.0f} MB")
PY
}

"$lumaro" --data-dir "$work/data" >/dev/null 2>&1 &
sleep 4
"$lumaro" --data-dir "$work/data" --command opengroup_pages >/dev/null 2>&1 || true
# The first save waits for every page to arrive; the timed ones find them all there.
timed_save saveallo htm "$pages" >/dev/null
echo "$pages pages open (load $(cut -d' ' -f1-3 /proc/loadavg))"
timed_save saveallo htm "$pages"
timed_save saveallwhole html "$pages"
du -sh "$work/save" | sed 's/^/saved files: /'
pkill -f "lumaro --data-dir $work/data" || true
sleep 1

# One article alone: every file the save asked the server for, against the file it made.
article=$(grep -m1 'ch04-01' "$work/pages" || head -1 "$work/pages")
printf 'A(http://127.0.0.1:%s/%s)\r\n' "$port" "$article" >"$work/data/group/one.txt"
rm -f "$work/data/session.json" "$work/save"/*
"$lumaro" --data-dir "$work/data" >/dev/null 2>&1 &
sleep 4
"$lumaro" --data-dir "$work/data" --command opengroup_one >/dev/null 2>&1 || true
sleep 3
: >"$work/server.log"
timed_save saveallwhole html 1 >/dev/null
python3 - "$site" "$work/server.log" "$article" "$work/save" <<'PY'
import glob, os, re, sys
site, log, article, save = sys.argv[1:5]
parts = {article}
for line in open(log):
    m = re.search(r'"GET (/[^ ?#]*)', line)
    if m:
        parts.add(m.group(1).lstrip("/"))
total = sum(os.path.getsize(os.path.join(site, p)) for p in parts if os.path.isfile(os.path.join(site, p)))
saved = sum(os.path.getsize(f) for f in glob.glob(save + "/*.html"))
print(f"one article ({article}): {len(parts)} parts, {total / 1024:.0f} KB; "
      f"saved whole in one file of {saved / 1024:.0f} KB ({saved / total:.2f}×)")
PY
