#!/usr/bin/env bash
# Every command and long option that lumaro-cli --help, each command's --help and each
# subcommand's --help name appears in both lumaro-cli man pages (English and Chinese).
# Usage: cli_manpages_test.sh LUMARO_CLI PACKAGING_DIR
set -euo pipefail
cli=$1
packaging=$2
status=0

# The man page as text: roff's escaped hyphens and font changes taken out.
declare -A pages
for page in lumaro-cli.1 lumaro-cli.zh_CN.1; do
  pages[$page]=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$packaging/$page")
done

# The commands a help lists: the lines of its 命令 section that hold one lower-case word.
commands_of() { awk '/^命令：/ {on = 1; next} /^[^ ]/ {on = 0} on && /^  [a-z][a-z-]*$/ {print $1}'; }
options_of() { grep -o -- '--[a-z][a-z-]*' | sort -u; }

declare -A checked
commands=0
check() { # WHAT PATTERN: the extended regular expression must match in both pages
  local page
  [ -z "${checked[$1]:-}" ] || return 0
  checked[$1]=1
  for page in "${!pages[@]}"; do
    grep -qE -- "$2" <<<"${pages[$page]}" || { echo "FAIL: $page lacks $1"; status=1; }
  done
}

# Walks a help: its options, then each command it lists, with that command's own help.
walk() { # the words before --help: "" for the top, "bookmarks", "bookmarks import"
  local help option command prefix=${1:+$1 }
  help=$("$cli" $1 --help) || { echo "FAIL: lumaro-cli $1 --help failed"; status=1; return; }
  for option in $(options_of <<<"$help"); do
    check "$option" "$option([^a-z-]|\$)"
  done
  for command in $(commands_of <<<"$help"); do
    check "the command $prefix$command" "lumaro-cli $prefix$command([^a-z-]|\$)"
    commands=$((commands + 1))
    walk "$prefix$command"
  done
}
walk ""
[ $commands -ge 9 ] || { echo "FAIL: lumaro-cli --help listed $commands commands"; status=1; }
[ $status -eq 0 ] && echo "every command and option of lumaro-cli --help is in both man pages"
exit $status
