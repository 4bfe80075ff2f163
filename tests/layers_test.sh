#!/usr/bin/env bash
# The folders are the layers, and includes point down them only:
#   common/ <- text/ saving/ links/ editing/ serial/ (the rules, Qt Core only)
#           <- fulltext/ (the full-text index of the saved files: Qt Core and Xapian)
#           <- commands/ <- shell/ <- app/, with browser/ beside the rules, under commands/.
# Only the engine adapter (src/browser/webengine) may include Qt WebEngine headers, and only
# src/shell and the adapter may include Qt Widgets.
set -u
root=${1:?source folder}
src=$root/src
status=0
checks=0

# Files under the given folders that include a header of one of the listed folders.
includers() {
  local pattern=$1
  shift
  local folders=()
  for f in "$@"; do [ -d "$src/$f" ] && folders+=("$src/$f"); done
  [ ${#folders[@]} -eq 0 ] && return
  grep -rlE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($pattern)/" "${folders[@]}"
}

fail_if_any() {
  local message=$1 found=$2
  checks=$((checks + 1))
  if [ -n "$found" ]; then
    echo "$message:"; echo "$found"; status=1
  fi
}

engine=$(grep -rlE '#include <QWebEngine|#include <QtWebEngine' "$src" "$root/app" | grep -v '/src/browser/webengine/')
fail_if_any "Qt WebEngine included outside the adapter" "$engine"

rules="common text saving links editing serial fulltext"
widgets=$(for f in $rules; do grep -rlE '#include <(QWidget|QMainWindow|QDialog|QMessageBox|QFileDialog|QApplication|QMenu|QToolBar|QTabBar)>' "$src/$f"; done 2>/dev/null)
fail_if_any "Qt Widgets included in the core" "$widgets"

# shellcheck disable=SC2086
fail_if_any "A rule folder includes browser/, commands/ or shell/" "$(includers 'browser|commands|shell' $rules)"
fail_if_any "commands/ includes shell/" "$(includers 'shell' commands)"
fail_if_any "common/ includes another rule folder" "$(includers 'text|saving|links|editing|serial|fulltext' common)"
fail_if_any "browser/ includes commands/ or shell/" "$(includers 'commands|shell' browser)"

if [ $status -eq 0 ]; then
  echo "$checks passed, 0 failed"
else
  echo "some of $checks checks failed"
fi
exit $status
