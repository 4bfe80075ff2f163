#pragma once

#include <QString>
#include <QUrl>

class QFontMetrics;

namespace shell {

// What a tab shows of its page: the view number and the title (or the address while there is
// no title), elided to `maxWidth` pixels, after a star when the tab is marked.
// Example: tabCaption(12, "第三章 雨夜", {}, false, fm, 200) == "12 第三章 雨夜".
QString tabCaption(int viewNumber, const QString &title, const QUrl &url, bool marked,
                   const QFontMetrics &metrics, int maxWidth);

// The tooltip of a tab: the title over the address, and a note on marked tabs.
QString tabToolTip(const QString &title, const QUrl &url, bool marked);

} // namespace shell
