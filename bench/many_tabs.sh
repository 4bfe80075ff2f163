#!/usr/bin/env bash
# The window's answers while thousands of tabs open, with the real program under Xvfb:
#  - round trips of a menu key no entry has (answered by the window itself, never queued)
#    while a group of N addresses opens, and the time the group takes to open;
#  - after a kill -9 with a 3,000-tab session, the time from the start to the first answer.
# Pages are served from 127.0.0.1. Usage: bench/many_tabs.sh BUILD_DIR [N]
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [N]}" && pwd)
count=${2:-10000}
lumaro=$build/app/lumaro
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR" "$work/site" "$work/data" "$work/data/group"
cleanup() {
  pkill -f "lumaro --data-dir $work/data" 2>/dev/null || true
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for i in $(seq 1 50); do
  echo "<html><head><meta charset=utf-8><title>第${i}页</title></head><body><p>第${i}页</p></body></html>" \
    >"$work/site/p$i.html"
done
port=$((20000 + RANDOM % 20000))
(cd "$work/site" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
server=$!
python3 - "$work/data/group" "$port" "$count" <<'PY'
import sys
folder, port, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for name, n in (("big", count), ("session", 3000)):
    with open(f"{folder}/{name}.txt", "w") as f:
        for i in range(n):
            f.write(f"P{i}(http://127.0.0.1:{port}/p{i % 50 + 1}.html?n={i})\r\n")
PY
Xvfb :73 -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:73 QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:-} --disable-gpu"
sleep 1

start_window() {
  "$lumaro" --data-dir "$work/data" >/dev/null 2>&1 &
  sleep 0.2
}
# Round trips to the window's socket: prints the median and the slowest, in ms.
round_trips() {
  python3 - "$XDG_RUNTIME_DIR" "$1" "$2" <<'PY'
import glob, socket, statistics, sys, time
folder, n, gap = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
times = []
for _ in range(n):
    path = glob.glob(folder + "/lumaro-*")[0]
    s = socket.socket(socket.AF_UNIX); t = time.time()
    s.connect(path); s.sendall(b'{"open":[],"command":"nosuchkey"}\n'); s.recv(100)
    times.append((time.time() - t) * 1000); s.close(); time.sleep(gap)
print(f"median {statistics.median(times):.0f} ms, slowest {max(times):.0f} ms ({n} answers)")
PY
}
first_answer() {
  python3 - "$XDG_RUNTIME_DIR" <<'PY'
import glob, socket, sys, time
start = time.time()
while time.time() - start < 120:
    try:
        s = socket.socket(socket.AF_UNIX); s.settimeout(0.5)
        s.connect(glob.glob(sys.argv[1] + "/lumaro-*")[0])
        s.sendall(b'{"open":[],"command":"nosuchkey"}\n')
        if s.recv(100):
            print(f"{time.time() - start:.2f} s"); break
    except Exception:
        time.sleep(0.05)
PY
}

start_window
sleep 4
begin=$(date +%s.%N)
("$lumaro" --data-dir "$work/data" --command opengroup_big >/dev/null 2>&1 || true
 echo "$(echo "$(date +%s.%N) - $begin" | bc)" >"$work/opened") &
opener=$!
sleep 0.3
echo "window round trip while $count addresses open: $(round_trips 40 0.25)"
wait "$opener"
echo "$count addresses opened in $(cat "$work/opened") s (the caller gives up after 20 s)"
pkill -f "lumaro --data-dir $work/data"
sleep 1
rm -f "$work/data/session.json" "$XDG_RUNTIME_DIR"/lumaro-*
start_window
sleep 4
"$lumaro" --data-dir "$work/data" --command opengroup_session >/dev/null 2>&1 || true
sleep 3
tabs=$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["tabs"]))' "$work/data/session.json")
pkill -9 -f "lumaro --data-dir $work/data"
sleep 1
"$lumaro" --data-dir "$work/data" >/dev/null 2>&1 &
echo "session of $tabs tabs after kill -9: first answer after $(first_answer)"
