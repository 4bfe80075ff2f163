#!/usr/bin/env bash
# The full-text index side by side with Recoll on one folder of saved pages: N generated pages
# (Chinese and English, mean about 17 KB, half GB18030 with a meta charset and half UTF-8, as
# the program saves them), indexed from nothing by `lumaro-cli index` and by `recollindex`,
# taking turns; then Q one-word and two-word queries, each in a process of its own, by
# `lumaro-cli search` and by `recollq -A` (both print the words around each hit).
# Prints wall time, the processors' time of the indexer itself (user + system), the index's size,
# and the median and 95th percentile of a query, with the machine's load before each part.
# Usage: bench/index_vs_recoll.sh BUILD_DIR [--pages N] [--runs K] [--queries Q] [--lumaro-only]
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [--pages N] [--runs K] [--queries Q]}" && pwd)
shift
pages=10000 runs=1 queries=100 peer=1
while [ $# -gt 0 ]; do
  case $1 in
    --pages) pages=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --queries) queries=$2; shift 2 ;;
    --lumaro-only) peer=0; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
cli="$build/tools/lumaro-cli"
[ -x "$cli" ] || { echo "build the target lumaro-cli first" >&2; exit 2; }
if [ "$peer" = 1 ] && ! command -v recollindex >/dev/null; then
  apt-get update -qq && apt-get install -y -qq recollcmd >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
load() { cut -d' ' -f1-3 /proc/loadavg; }

# The pages, and the words to ask for (drawn from the same vocabulary, common and rare).
python3 - "$work/pages" "$pages" "$queries" "$work/queries" <<'PY'
import itertools, os, random, sys
folder, count, nqueries, qfile = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
chars = ("的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过"
         "子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机"
         "当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反"
         "你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并提直题党程展五"
         "果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见计别她手角期根论运"
         "农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北造百规热领七海口东导器压志世金增争"
         "济阶油思术极交受联什认六共权收证改清美再采转更单风切打白教速花带安场身车例真务具万每目至达走积示"
         "议声报斗完类八离华名确才科张信马节话米整空元况今集温传土许步群广石记需段研界拉林律叫且究观越织装"
         "影算低持音众书布复容儿须际商非验连断深难近矿千周委素技备半办青省列习响约支般史感劳便团往酸历市克")
rnd = random.Random(5)
words = []
for i in range(8000):
    if i % 5 == 4:
        words.append("".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(3, 8))))
    else:
        words.append("".join(rnd.choice(chars) for _ in range(rnd.randint(2, 4))))
cumulative = list(itertools.accumulate(1.0 / (i + 1) for i in range(len(words))))
os.makedirs(folder)
for n in range(count):
    sub = os.path.join(folder, "m%d" % (n % 12))
    os.makedirs(sub, exist_ok=True)
    target = int(rnd.expovariate(1 / 14500)) + 2000
    title = "".join(rnd.choices(words, cum_weights=cumulative, k=4)) + " %d" % n
    gb = n % 2 == 0
    head = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=%s">'
            '<title>%s</title></head><body>\n' % ("gb2312" if gb else "utf-8", title))
    parts, size = [head], len(head.encode("gb18030" if gb else "utf-8"))
    while size < target:
        para = "<p>" + "".join(w + (" " if w.isascii() else "") for w in rnd.choices(words, cum_weights=cumulative, k=40)) + "。</p>\n"
        parts.append(para)
        size += len(para.encode("gb18030" if gb else "utf-8"))
    parts.append("</body></html>\n")
    with open(os.path.join(sub, "page%d.htm" % n), "wb") as f:
        f.write("".join(parts).encode("gb18030" if gb else "utf-8"))
with open(qfile, "w") as f:
    for i in range(nqueries):
        a = words[rnd.randrange(len(words))]
        f.write((a if i % 2 == 0 else words[rnd.randrange(300)] + " " + a) + "\n")
PY
bytes=$(du -sb "$work/pages" | cut -f1)
echo "pages: $pages, $((bytes / 1000000)) MB, mean $((bytes / pages / 1000)) KB; load $(load)"

cat >"$work/recoll.conf" <<EOF
topdirs = $work/pages
indexedmimetypes = text/html text/plain
loglevel = 1
# No spelling dictionary (aspell) after indexing: the program builds none either.
noaspell = 1
EOF
mkdir -p "$work/rc" && cp "$work/recoll.conf" "$work/rc/recoll.conf"

# Runs a command; prints "wall cpu" in seconds (cpu: its own user + system time).
timed() {
  /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    cat "$work/err" >&2; return 1; }
  awk '{printf "%.1f %.1f\n", $1, $2 + $3}' "$work/time"
}
lumaro_index() { rm -rf "$work/data"; timed "$cli" index --data-dir "$work/data" "$work/pages"; }
recoll_index() { rm -rf "$work/rc/xapiandb"; timed recollindex -c "$work/rc" -z; }

for ((r = 1; r <= runs; r++)); do
  echo "round $r, load $(load)"
  if ((r % 2 == 1)) || [ "$peer" = 0 ]; then order=(lumaro recoll); else order=(recoll lumaro); fi
  for who in "${order[@]}"; do
    [ "$who" = recoll ] && [ "$peer" = 0 ] && continue
    read -r wall cpu < <("${who}_index")
    if [ "$who" = lumaro ]; then size=$(du -sm "$work/data/index" | cut -f1); else
      size=$(du -sm "$work/rc/xapiandb" | cut -f1); fi
    printf '  %-7s index: %7.1f s wall, %7.1f s of processor, %5d MB (%.1f KB a page)\n' \
      "$who" "$wall" "$cpu" "$size" "$(echo "$size * 1000 / $pages" | bc -l)"
  done
done

# Queries, one process each: the median and 95th percentile in ms.
query_times() { # COMMAND... (the query is appended)
  python3 - "$work/queries" "$@" <<'PY'
import subprocess, sys, time
queries = [l.rstrip("\n") for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
command = sys.argv[2:]
times = []
for q in queries:
    t = time.perf_counter()
    subprocess.run(command + q.split(" "), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    times.append((time.perf_counter() - t) * 1000)
times.sort()
print("%.1f %.1f" % (times[len(times) // 2], times[min(len(times) - 1, int(len(times) * 0.95))]))
PY
}
echo "queries: $queries, load $(load)"
read -r med p95 < <(query_times "$cli" search --data-dir "$work/data" --limit 20)
printf '  lumaro-cli search: median %6.1f ms, 95%% %6.1f ms\n' "$med" "$p95"
if [ "$peer" = 1 ]; then
  read -r med p95 < <(query_times recollq -c "$work/rc" -A -n 20)
  printf '  recollq -A:        median %6.1f ms, 95%% %6.1f ms\n' "$med" "$p95"
fi
read -r med p95 < <(query_times "$cli" --version)
printf '  (lumaro-cli --version: median %.1f ms; /bin/true: %s ms)\n' "$med" \
  "$(query_times /bin/true | cut -d' ' -f1)"
