#!/usr/bin/env bash
# Every option lumaro --help names, and every file of the data folder, is in both lumaro man
# pages (English and Chinese).
# Usage: lumaro_manpages_test.sh LUMARO PACKAGING_DIR
set -euo pipefail
lumaro=$1
packaging=$2
status=0
help=$("$lumaro" --help)
# The options: the long ones of the 选项 section, up to the list of keys.
options=$(sed -n '/^选项：/,/^命令的键：/p' <<<"$help" | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ "$(wc -l <<<"$options")" -ge 9 ] || { echo "FAIL: lumaro --help names only: $options"; exit 1; }
files="link.htm savepath.ini inputtemplate/ group/ href.txt email.txt seen.txt session.json
downloads.json settings.ini index/ serial-sites/ profile/ portable ~/.cache/Lumaro/"
for page in lumaro.1 lumaro.zh_CN.1; do
  text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$packaging/$page")
  for option in $options; do
    grep -qE -- "$option([^a-z-]|\$)" <<<"$text" || { echo "FAIL: $page lacks $option"; status=1; }
  done
  for file in $files; do
    grep -qF -- "$file" <<<"$text" || { echo "FAIL: $page lacks $file"; status=1; }
  done
done
[ $status -eq 0 ] && echo "every option of lumaro --help and every data file is in both man pages"
exit $status
