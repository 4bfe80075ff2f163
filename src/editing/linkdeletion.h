#pragma once

#include <QString>
#include <QStringView>

namespace editing {

// The visible text of a piece of HTML: tags removed, character references decoded, every run
// of white space (no-break spaces too) made one blank, blanks trimmed at both ends.
// Example: visibleText(u" 第一<b>章</b>&nbsp;&amp; 二 ") == "第一章 & 二".
QString visibleText(QStringView html);

// The page's markup without every link ("<a ...>" through its "</a>") whose visible text is
// the selection (white space compared as visibleText makes it, letter case counting). Links
// inside comments, scripts and style sheets are left alone, as are all other links.
// Example: removeLinksWithText(u"<a href=\"1\">下一页</a> 下一页", u"下一页") == " 下一页".
QString removeLinksWithText(QStringView html, QStringView selection);

} // namespace editing
