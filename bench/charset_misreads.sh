#!/bin/bash
# How often the reading rule takes short texts in the wrong charset, on real text of this
# machine (the vim tutors): Chinese snippets of 1 to 6 characters saved in GBK by iconv must
# read as GB18030, words and lines of European languages saved in UTF-8 must read as UTF-8.
# Usage: bench/charset_misreads.sh [BUILD_DIR]
set -eu
build=${1:-build}
cli="$build/tools/lumaro-cli"
tutors=/usr/share/vim/vim90/tutor
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# classify FILE_OF_SAMPLES ENCODING EXPECTED: one sample per line, each written to a file in
# ENCODING and read back by lumaro-cli; prints the count and the samples read otherwise.
classify() {
    local samples=$1 encoding=$2 expected=$3 total=0 wrong=0 single=0 line got
    while IFS= read -r line; do
        printf '%s' "$line" | iconv -f UTF-8 -t "$encoding" >"$work/sample" 2>/dev/null || continue
        got=$("$cli" charset "$work/sample")
        total=$((total + 1))
        if [ "$got" != "$expected" ]; then
            wrong=$((wrong + 1))
            # One letter alone is as much GBK as it is UTF-8: counted apart.
            if [ "${#line}" -eq 1 ]; then single=$((single + 1)); else echo "    misread as $got: $line"; fi
        fi
    done <"$samples"
    echo "  $encoding samples: $total, misread: $wrong ($single of them a single character alone)"
}

echo "Chinese in GBK (expected GB18030):"
for n in 1 2 3 4 5 6; do
    grep -oP "[\p{Han}，。：“”（）]{$n}" "$tutors/tutor.zh_cn.utf-8" | sort -u | head -300
done >"$work/zh"
# Chinese beside ASCII, as in paths and titles: "D:\资料", "第3章".
grep -oP "[A-Za-z0-9:/\\\\]{1,4}\p{Han}{1,3}" "$tutors/tutor.zh_cn.utf-8" | sort -u | head -300 >>"$work/zh"
classify "$work/zh" GBK GB18030

echo "European languages in UTF-8 (expected UTF-8):"
for lang in fr de ru el es it pl cs hu pt sv nl da; do
    file="$tutors/tutor.$lang.utf-8"
    [ -f "$file" ] || continue
    grep -oP "\w*[^\x00-\x7F]\w*" "$file" | sort -u | head -100
    grep -P "[^\x00-\x7F]" "$file" | head -20
done >"$work/eu"
classify "$work/eu" UTF-8 UTF-8
