#include "capturetext.h"

#include "common/lineends.h"
#include "saving/filenaming.h"

namespace text {

QString captureFileName(const QString &copied) {
    return saving::correctName(copied.left(30)).left(15);
}

namespace {

// The text escaped, every line break (CR LF, LF or CR) replaced by `lineBreak`.
QString escapedLines(const QString &copied, const QString &lineBreak) {
    QString html = escapeCapturedText(copied);
    html.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    html.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    html.replace(QLatin1Char('\n'), lineBreak);
    return html;
}

} // namespace

QString escapeCapturedText(const QString &copied) {
    return copied.toHtmlEscaped();
}

QString captureTextHtml(const QString &copied) {
    return escapedLines(copied, QStringLiteral("<br>\r\n"));
}

QString captureBodyHtml(const QString &copied) {
    return QStringLiteral("<br>") + QChar(0xE5E5) + QChar(0xE5E5) +
           escapedLines(copied, QStringLiteral("<br>"));
}

QString capturePage(const QString &pageTemplate, const QString &title, const QString &body) {
    QString page = pageTemplate;
    page.replace(QStringLiteral("标题"), title);
    page.replace(QStringLiteral("正文"), body);
    return page;
}

} // namespace text
