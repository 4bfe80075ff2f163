#pragma once

#include <QString>

namespace text {

// The file name change capture gives a copied text: its first 30 characters cleaned for a
// file name, then cut to 15. Example: captureFileName(u"第一章：风雨 ...") == "第一章：风雨".
QString captureFileName(const QString &copied);

// A copied text as literal HTML: "a<b>&" gives "a&lt;b&gt;&amp;" (quotes become &quot;).
QString escapeCapturedText(const QString &copied);

// The content of a change-capture file: the text escaped, every line break (CR LF, LF or CR)
// a "<br>" and CR LF, so that the page shows the text as it was copied, lines kept.
QString captureTextHtml(const QString &copied);

// The article body title capture keeps: "<br>", two full-width spaces (U+E5E5, bytes A3 A0
// in GBK) and the text escaped, every line break (CR LF, LF or CR) a "<br>".
QString captureBodyHtml(const QString &copied);

// The page of a captured article: the template with every "标题" replaced by the title, then
// every "正文" by the body (a title holding "正文" gets the body there too).
QString capturePage(const QString &pageTemplate, const QString &title, const QString &body);

} // namespace text
