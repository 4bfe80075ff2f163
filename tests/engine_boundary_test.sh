#!/usr/bin/env bash
# Only the engine adapter (src/browser/webengine) may include Qt WebEngine headers, and only
# src/shell and the adapter may include Qt Widgets.
set -u
root=${1:?source folder}
status=0
engine=$(grep -rlE '#include <QWebEngine|#include <QtWebEngine' "$root/src" "$root/app" | grep -v '/src/browser/webengine/')
if [ -n "$engine" ]; then
  echo "Qt WebEngine included outside the adapter:"; echo "$engine"; status=1
fi
widgets=$(grep -rlE '#include <(QWidget|QMainWindow|QDialog|QMessageBox|QFileDialog|QApplication|QMenu|QToolBar|QTabBar)>' \
  "$root/src/common" "$root/src/text" "$root/src/links" "$root/src/saving" "$root/src/editing" 2>/dev/null)
if [ -n "$widgets" ]; then
  echo "Qt Widgets included in the core:"; echo "$widgets"; status=1
fi
[ $status -eq 0 ] && echo "1 passed, 0 failed"
exit $status
