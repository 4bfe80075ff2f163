#!/usr/bin/env bash
# Kills the soak writer with SIGKILL at random moments while it saves pages, edits link.htm and
# appends to href.txt, and checks after every kill that each file is whole (old or new).
#   kill_soak.sh SOAK_WRITER LINK_HTM [KILLS=100] [MAX_SECONDS=600] [DISK_SIZE]
# With DISK_SIZE (for example 6m) and when run as root, the files live on a tmpfs of that size,
# so that the disk also fills up now and then (elsewhere the size is ignored and said so).
# Prints the kills made, the files checked and the torn files; fails when a file is torn or
# when fewer kills than asked fit in the time allowed.
set -u
writer=$1
favourites=$2
kills=${3:-100}
max_seconds=${4:-600}
disk_size=${5:-}

folder=$(mktemp -d)
mkdir "$folder/data"
disk="a plain folder"
if [[ -n $disk_size ]] && (($(id -u) == 0)) &&
    mount -t tmpfs -o "size=$disk_size" tmpfs "$folder/data" 2>/dev/null; then
    disk="a tmpfs of $disk_size"
    trap 'umount -l "$folder/data"; rm -rf "$folder"' EXIT
else
    trap 'rm -rf "$folder"' EXIT
fi
"$writer" init "$folder/data" "$favourites" || { echo "cannot prepare $folder/data"; exit 2; }

done_kills=0
checked=0
torn=0
temporaries=0
start=$SECONDS
while ((done_kills < kills && SECONDS - start < max_seconds)); do
    "$writer" run "$folder/data" "$RANDOM$RANDOM" &
    pid=$!
    # 20 to 800 ms: from the middle of the first write to several files later.
    sleep "0.$(printf '%03d' $((20 + RANDOM % 780)))"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    done_kills=$((done_kills + 1))
    report=$("$writer" check "$folder/data")
    status=$?
    read -r _ files _ bad _ left <<<"$report"
    checked=$((checked + files))
    torn=$((torn + bad))
    temporaries=$left
    if ((status != 0)); then
        echo "kill $done_kills: $report"
    fi
done

echo "kills: $done_kills, files checked: $checked, torn files: $torn," \
    "temporaries left by kills: $temporaries, seconds: $((SECONDS - start)), on $disk," \
    "full now: $(df --output=pcent "$folder/data" | tail -1 | tr -d ' ')"
((torn == 0 && done_kills == kills))
