#!/usr/bin/env bash
# Lumaro and Chromium side by side on real pages (the Debian documentation HTML of this machine,
# served from 127.0.0.1), taking turns, each run under its own virtual X server. Prints the
# medians and their ratio (Lumaro / Chromium) for:
#   start -> first page shown   the served start page's onload reaches the server
#   N pages all loaded          first to last request of the batch (pages and their resources),
#                               the same server log read the same way for both programs
#   PSS                         summed over the program and all its child processes, after
#                               the batch has loaded (/proc/PID/smaps_rollup), and the highest
#                               sum seen while it loaded (sampled each second)
#   processors busy             the processor time the program's own tree used from the command
#                               or launch to the last request, as a share of all cores
#   start page asked for        from the launch to the first request of the start page
# Lumaro is the real program, driven by `lumaro --command openallw` on a page of the batch's
# links; both run with --disable-gpu in a 1600x1000 screen (Chromium's window that size); the
# pages of a batch are spread evenly over the whole set.
# Usage: bench/side_by_side.sh BUILD_DIR [--runs K] [--with-500 | --sizes "N ..."] [--queue N] [--budget MB]
#                              [--switch] [--renderer-limit N] [--lumaro-only] [--walk]
# --queue N: Lumaro's batches load N pages at once (0: all at once); --budget MB: Lumaro's memory
# budget for its tabs (0: none; default: the program's own); --switch: Lumaro switches tabs every
# 250 ms while a batch loads and reports how fast its window answered; --renderer-limit N:
# Lumaro's engine shares N renderer processes (default: the program's own, eight a core, at
# least 16); --lumaro-only skips the peer, for comparing Lumaro's own settings; --walk: after
# each batch Lumaro is walked through every tab (lumaro --command nexttab, a third of a second
# each) and its PSS sampled.
# Default: 5 runs each, taking turns (about 20 minutes here).
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [--runs K] [--with-500]}" && pwd)
shift
runs=5 sizes=(50 200) lumaro_opts=() peer=1 renderer_limit= budget_mb= walk=0
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --with-500) sizes+=(500); shift ;;
    --sizes) read -r -a sizes <<<"$2"; shift 2 ;;
    --queue) lumaro_opts+=(--queue "$2"); shift 2 ;;
    --budget) budget_mb=$2; shift 2 ;;
    --switch) lumaro_opts+=(--switch); shift ;;
    --renderer-limit) renderer_limit=$2; shift 2 ;;
    --lumaro-only) peer=0; shift ;;
    --walk) walk=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
bench="$build/bench/browser_bench"
[ -x "$bench" ] || { echo "build the targets lumaro and browser_bench first" >&2; exit 2; }
[ -x "$build/app/lumaro" ] || { echo "build the target lumaro first" >&2; exit 2; }

# Set-up: the peer and the X server, installed when missing.
missing=()
command -v chromium >/dev/null || missing+=(chromium)
command -v Xvfb >/dev/null || missing+=(xvfb)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The pages: every documentation page over 3 KB, copied with the folder it sits in (its style
# sheets and pictures come along); a batch of more pages than there are repeats them with a query.
mkdir -p "$work/www"
mapfile -t pages < <(cd /usr/share/doc && find . -type f -name '*.html' -size +3k | sort)
for dir in $(printf '%s\n' "${pages[@]}" | xargs -n1 dirname | sort -u); do
  mkdir -p "$work/www/$dir"
  cp -rL /usr/share/doc/"$dir"/. "$work/www/$dir/" 2>/dev/null || true
done
bytes=$(cd "$work/www" && cat "${pages[@]}" | wc -c)
echo "pages: ${#pages[@]} documentation pages, median $(cd "$work/www" && stat -c %s "${pages[@]}" |
  sort -n | sed -n "$(( ${#pages[@]} / 2 ))p") bytes, mean $(( bytes / ${#pages[@]} )) bytes of HTML"
cat >"$work/www/start.htm" <<'EOF'
<html><head><title>start</title></head>
<body onload="fetch('/shown?' + Date.now())"><h1>start</h1><p>a first page</p></body></html>
EOF
url_list() { # N -> the N page addresses, one a line, spread evenly over the whole set
  local i total=${#pages[@]}
  for ((i = 0; i < $1; i++)); do
    if (($1 <= total)); then
      echo "http://127.0.0.1:$port/${pages[$((i * total / $1))]#./}"
    else
      local p=${pages[$((i % total))]#./}
      if ((i < total)); then echo "http://127.0.0.1:$port/$p"; else echo "http://127.0.0.1:$port/$p?r=$i"; fi
    fi
  done
}

# The server: serves www and writes "epoch-seconds path" for every request to the log.
cat >"$work/server.py" <<'EOF'
import functools, http.server, sys, time
log = open(sys.argv[2], "a", buffering=1)
class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
    def do_GET(self):
        log.write("%.4f %s\n" % (time.time(), self.path))
        super().do_GET()
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                         functools.partial(Handler, directory=sys.argv[1]))
print(server.server_address[1], flush=True)
server.serve_forever()
EOF
: >"$work/access.log"
coproc SERVER { exec python3 "$work/server.py" "$work/www" "$work/access.log"; }
pids+=("$SERVER_PID")
read -r port <&"${SERVER[0]}"

# The same engine flags for both programs in every test: no GPU (there is none under Xvfb), and
# no sandbox when run as root (the engine refuses to start otherwise).
engine_flags=(--disable-gpu)
[ "$(id -u)" -eq 0 ] && engine_flags+=(--no-sandbox)
export QTWEBENGINE_CHROMIUM_FLAGS="${engine_flags[*]}"
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# A virtual X server of its own for each run: -displayfd picks a free display.
xvfb_pid=
start_x() {
  rm -f "$work/displayfd" && mkfifo "$work/displayfd"
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/displayfd" >/dev/null 2>&1 &
  xvfb_pid=$!
  pids+=("$xvfb_pid")
  local n
  read -r -t 20 n <"$work/displayfd"
  export DISPLAY=":$n"
}
stop_x() { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }

# PSS in MB of a process and all its descendants.
pss_tree() {
  python3 - "$1" <<'EOF'
import os, sys
root = int(sys.argv[1]); parent = {}
for p in os.listdir("/proc"):
    if p.isdigit():
        try:
            text = open("/proc/%s/stat" % p).read()
            parent[int(p)] = int(text[text.rindex(")") + 2:].split()[1])
        except OSError:
            pass
total = 0
for p in parent:
    q = p
    while q > 1 and q != root:
        q = parent.get(q, 0)
    if q == root:
        try:
            for line in open("/proc/%d/smaps_rollup" % p):
                if line.startswith("Pss:"):
                    total += int(line.split()[1])
        except OSError:
            pass
print(total // 1024)
EOF
}

# While PID runs, its highest PSS so far (MB, sampled each second) is kept in FILE, and the
# processor time its tree has used so far (clock ticks) is written to cpu.log with the time.
sample_peak() { # PID FILE
  local peak=0 w
  echo 0 >"$2"
  : >"$work/cpu.log"
  while kill -0 "$1" 2>/dev/null; do
    echo "$(date +%s.%N) $(cpu_ticks_tree "$1")" >>"$work/cpu.log"
    w=$(pss_tree "$1" 2>/dev/null) || w=0
    if ((w > peak)); then peak=$w; echo "$peak" >"$2"; fi
    sleep 1
  done
}
peak_start() { sample_peak "$1" "$work/peak" & sampler=$!; }
peak_end() { kill "$sampler" 2>/dev/null || true; wait "$sampler" 2>/dev/null || true; cat "$work/peak"; }
# The processor time (clock ticks, user + system) used so far by a process and its tree: the
# live processes' own, and what the ones that ended left to their parents.
cpu_ticks_tree() { # PID
  python3 - "$1" <<'EOF'
import os, sys
root = int(sys.argv[1]); parent = {}; ticks = {}
for p in os.listdir("/proc"):
    if p.isdigit():
        try:
            text = open("/proc/%s/stat" % p).read()
        except OSError:
            continue
        f = text[text.rindex(")") + 2:].split()
        parent[int(p)] = int(f[1])
        ticks[int(p)] = sum(int(x) for x in f[11:15])  # utime stime cutime cstime
def under(p):
    while p > 1:
        if p == root:
            return True
        p = parent.get(p, 0)
    return False
print(sum(t for p, t in ticks.items() if under(p)))
EOF
}
# The share of the machine's processors (all cores) that the program's tree kept busy from T0
# (epoch) for SECONDS, in per cent, from the samples cpu.log holds.
cpu_busy() { # T0 SECONDS
  python3 - "$1" "$2" "$work/cpu.log" <<'EOF'
import os, sys
t0, span = float(sys.argv[1]), float(sys.argv[2])
rows = [(float(a), int(b)) for a, b in (l.split() for l in open(sys.argv[3]) if len(l.split()) == 2)]
inside = [r for r in rows if t0 - 1.5 <= r[0] <= t0 + span + 0.5]
if len(inside) < 2 or inside[-1][0] <= inside[0][0]:
    print("NA")
else:
    (ta, a), (tb, b) = inside[0], inside[-1]
    hz, cores = os.sysconf("SC_CLK_TCK"), os.cpu_count()
    print("%.0f" % (100.0 * (b - a) / hz / (tb - ta) / cores))
EOF
}

stop_tree() { # PID: the program and whatever it started
  local kids
  kids=$(pgrep -P "$1" || true)
  kill "$1" 2>/dev/null || true
  for k in $kids; do stop_tree "$k"; done
  wait "$1" 2>/dev/null || true
}

log_mark() { wc -l <"$work/access.log"; }
# Seconds from T0 (epoch) to the first request of /shown after log line FROM_LINE (the start
# page shown), and to the first request of the start page itself.
wait_shown() { # FROM_LINE T0 TIMEOUT
  local deadline=$((SECONDS + $3)) t asked
  while ((SECONDS < deadline)); do
    t=$(tail -n +"$(($1 + 1))" "$work/access.log" | awk '$2 ~ /^\/shown/ {print $1; exit}')
    if [ -n "$t" ]; then
      asked=$(tail -n +"$(($1 + 1))" "$work/access.log" | awk '$2 ~ /^\/start.htm/ {print $1; exit}')
      printf '%.3f %.3f\n' "$(echo "$t - $2" | bc)" "$(echo "${asked:-$t} - $2" | bc)"
      return
    fi
    sleep 0.05
  done
  echo NA NA
}
# Once all the batch's pages have been asked for and the log has been quiet for 3 s: seconds
# from the first request of a batch page to the last request of all, and from T0 (epoch: the
# launch or the command) to the last request.
wait_batch() { # FROM_LINE N TIMEOUT [T0]
  local deadline=$((SECONDS + $3)) lines last=0 quiet=0
  while ((SECONDS < deadline)); do
    lines=$(log_mark)
    if ((lines != last)); then last=$lines quiet=0; else quiet=$((quiet + 1)); fi
    if ((quiet >= 6)); then
      local r
      r=$(tail -n +"$(($1 + 1))" "$work/access.log" | awk -v n="$2" -v t0="${4:-0}" '
        $2 ~ /\.html/ { if (!first) first = $1; if (!seen[$2]++) pages++ }
        { last = $1 }
        END { if (pages >= n) printf "%.2f %.2f\n", last - first, (t0 > 0 ? last - t0 : 0) }')
      if [ -n "$r" ]; then echo "$r"; return; fi
    fi
    sleep 0.5
  done
  echo NA
}

lumaro_start() {
  local data from t0 p r
  data=$(mktemp -d "$work/data.XXXX")
  from=$(log_mark)
  t0=$(date +%s.%N)
  "$build/app/lumaro" --data-dir "$data" "http://127.0.0.1:$port/start.htm" >/dev/null 2>&1 &
  p=$!
  r=$(wait_shown "$from" "$t0" 60)
  stop_tree "$p"
  rm -rf "$data"
  echo "$r"
}
chromium_start() {
  local data from t0 p r
  data=$(mktemp -d "$work/chromium.XXXX")
  from=$(log_mark)
  t0=$(date +%s.%N)
  chromium "${engine_flags[@]}" --user-data-dir="$data" --no-first-run \
    --window-size=1600,1000 --no-default-browser-check --disable-background-networking \
    --password-store=basic "http://127.0.0.1:$port/start.htm" >/dev/null 2>&1 &
  p=$!
  r=$(wait_shown "$from" "$t0" 60)
  stop_tree "$p"
  rm -rf "$data"
  echo "$r"
}
# Prints "SECONDS FROM_COMMAND PSS_MB": the real program started on a page of the batch's links,
# then driven as a user drives it from a script: lumaro --command openallw, handed to its window.
# With --queue or --switch the in-process bench window is used instead (the settings it alone
# can change), and its own count comes last.
lumaro_batch() { # N
  local folder from p r m t0 peak cpu
  folder=$(mktemp -d "$work/lumaro.XXXX")
  url_list "$1" | awk '{printf "<a href=\"%s\">%d</a><br>\n", $0, NR}' >"$work/www/links$1.htm"
  if [ ${#lumaro_opts[@]} -gt 0 ]; then
    cp -r "$build/app/." "$folder/"
    rm -rf "$folder/profile" "$folder/lumaro" "$folder/CMakeFiles" "$folder/session.json"
    from=$(log_mark)
    QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:-}${renderer_limit:+ --renderer-process-limit=$renderer_limit}" \
      "$bench" "$folder" --links "http://127.0.0.1:$port/links$1.htm" --hold 900 "${lumaro_opts[@]}" \
      >"$work/lumaro.out" 2>"$work/lumaro.err" &
    p=$!
    peak_start "$p"
    r=$(wait_batch "$from" "$1" 900)
    m=$(pss_tree "$p")
    peak=$(peak_end)
    stop_tree "$p"
    rm -rf "$folder"
    grep -h '^tab switches' "$work/lumaro.out" >>"$work/switches.txt" || true
    grep -h "^slow switch" "$work/lumaro.err" >>"$work/switches.txt" || true
    echo "${r% *} NA $m $(sed -n 's/.*all loaded: yes after \([0-9.]*\) s.*/\1/p' "$work/lumaro.out" | grep . || echo NA) $peak NA"
    return
  fi
  from=$(log_mark)
  QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:-}${renderer_limit:+ --renderer-process-limit=$renderer_limit}" \
    "$build/app/lumaro" --data-dir "$folder" ${budget_mb:+--memory-budget "$budget_mb"} \
    "http://127.0.0.1:$port/links$1.htm" >/dev/null 2>&1 &
  p=$!
  local deadline=$((SECONDS + 60))
  until tail -n +"$((from + 1))" "$work/access.log" | grep -q "/links$1.htm" || ((SECONDS > deadline)); do
    sleep 0.1
  done
  sleep 1 # the links page drawn and selected
  from=$(log_mark)
  t0=$(date +%s.%N)
  peak_start "$p"
  "$build/app/lumaro" --data-dir "$folder" --command openallw >/dev/null 2>&1 || true
  r=$(wait_batch "$from" "$1" "${batch_timeout:-900}" "$t0")
  m=$(pss_tree "$p")
  peak=$(peak_end)
  cpu=$(cpu_busy "$t0" "${r#* }" 2>/dev/null || echo NA)
  if [ "$walk" = 1 ]; then
    # The user looks at every tab once, a third of a second each (Ctrl+Tab as the window's key).
    local i w wpeak=$m
    for ((i = 1; i <= $1; i++)); do
      "$build/app/lumaro" --data-dir "$folder" --command nexttab >/dev/null 2>&1 || true
      sleep 0.3
      if ((i % 10 == 0)); then w=$(pss_tree "$p"); ((w > wpeak)) && wpeak=$w; fi
    done
    sleep 3
    echo "walking through the $1 tabs: PSS $m MB before, peak $wpeak MB, $(pss_tree "$p") MB after" >>"$work/walks.txt"
  fi
  stop_tree "$p"
  rm -rf "$folder"
  echo "$r $m NA $peak $cpu"
}
chromium_batch() { # N
  local data from p r m peak cpu
  data=$(mktemp -d "$work/chromium.XXXX")
  from=$(log_mark)
  mapfile -t urls < <(url_list "$1")
  local t0
  t0=$(date +%s.%N)
  chromium "${engine_flags[@]}" --user-data-dir="$data" --no-first-run \
    --window-size=1600,1000 --no-default-browser-check --disable-background-networking \
    --password-store=basic "${urls[@]}" >/dev/null 2>&1 &
  p=$!
  peak_start "$p"
  r=$(wait_batch "$from" "$1" "${batch_timeout:-900}" "$t0")
  m=$(pss_tree "$p")
  peak=$(peak_end)
  cpu=$(cpu_busy "$t0" "${r#* }" 2>/dev/null || echo NA)
  stop_tree "$p"
  rm -rf "$data"
  echo "$r $m $peak $cpu"
}

median() { printf '%s\n' "$@" | grep -v NA | sort -g | awk '{a[NR]=$1} END {
  if (NR == 0) print "NA"; else if (NR % 2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2 }'; }
ratio() { if [ "${1:-NA}" = NA ] || [ "${2:-NA}" = NA ]; then echo NA; else echo "scale=2; $1 / $2" | bc; fi; }
report() { # LABEL UNIT LUMARO_RUNS... -- CHROMIUM_RUNS...
  local label=$1 unit=$2 l=() c=() side=l
  shift 2
  for v in "$@"; do
    if [ "$v" = -- ]; then side=c; elif [ $side = l ]; then l+=("$v"); else c+=("$v"); fi
  done
  local ml mc
  ml=$(median "${l[@]}") mc=$(median "${c[@]}")
  printf '%-28s lumaro %8s %s  chromium %8s %s  ratio %s\n' "$label" "$ml" "$unit" "$mc" "$unit" "$(ratio "$ml" "$mc")"
  printf '    runs: lumaro %s | chromium %s\n' "${l[*]}" "${c[*]}"
}

echo "lumaro $(git -C "$(dirname "$0")" rev-parse --short HEAD 2>/dev/null || echo ?), $(chromium --version 2>/dev/null), $runs runs each, taking turns"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
ls_=() cs_=() lq_=() cq_=()
for _ in $(seq "$runs"); do
  start_x; read -r shown asked < <(lumaro_start); ls_+=("$shown") lq_+=("$asked"); stop_x
  if [ $peer = 1 ]; then
    start_x; read -r shown asked < <(chromium_start); cs_+=("$shown") cq_+=("$asked"); stop_x
  fi
done
report "start -> first page shown" s "${ls_[@]}" -- "${cs_[@]}"
report "  -> start page asked for" s "${lq_[@]}" -- "${cq_[@]}"
for n in "${sizes[@]}"; do
  lt=() lc=() lm=() lo=() lp=() lu=() ct=() cc=() cm=() cp=() cu=()
  for _ in $(seq "$runs"); do
    start_x; read -r t c m o k u < <(lumaro_batch "$n"); stop_x
    lt+=("$t") lc+=("$c") lm+=("$m") lo+=("$o") lp+=("$k") lu+=("$u")
    if [ $peer = 1 ]; then
      start_x; read -r t c m k u < <(chromium_batch "$n"); stop_x
      ct+=("$t") cc+=("$c") cm+=("$m") cp+=("$k") cu+=("$u")
    fi
    echo "    (load average $(cut -d' ' -f1 /proc/loadavg) after a round of $n)"
  done
  report "$n pages all loaded" s "${lt[@]}" -- "${ct[@]}"
  report "  from command / launch" s "${lc[@]}" -- "${cc[@]}"
  report "  processors busy (its tree)" % "${lu[@]}" -- "${cu[@]}"
  if [ ${#lumaro_opts[@]} -gt 0 ]; then
    echo "    lumaro's own count (command to the last load finished): median $(median "${lo[@]}") s (runs: ${lo[*]})"
  fi
  report "$n pages PSS" MB "${lm[@]}" -- "${cm[@]}"
  report "  peak while loading" MB "${lp[@]}" -- "${cp[@]}"
  if [ -s "$work/walks.txt" ]; then
    sed 's/^/    /' "$work/walks.txt"
    : >"$work/walks.txt"
  fi
  if [ -s "$work/switches.txt" ]; then
    echo "    lumaro's window while the $n pages loaded:"
    sed 's/^/      /' "$work/switches.txt"
    : >"$work/switches.txt"
  fi
done
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
