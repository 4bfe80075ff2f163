#include "capturetext.h"

#include "saving/filenaming.h"

namespace text {

QString captureFileName(const QString &copied) {
    return saving::correctName(copied.left(30)).left(15);
}

QString captureBodyHtml(const QString &copied) {
    QString body = QStringLiteral("<br>") + QChar(0xE5E5) + QChar(0xE5E5) + copied;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    return body;
}

QString capturePage(const QString &pageTemplate, const QString &title, const QString &body) {
    QString page = pageTemplate;
    page.replace(QStringLiteral("标题"), title);
    page.replace(QStringLiteral("正文"), body);
    return page;
}

} // namespace text
