#include "capturetext.h"

#include "common/lineends.h"
#include "saving/filenaming.h"

namespace text {

QString captureFileName(const QString &copied) {
    return saving::correctName(copied.left(30)).left(15);
}

QString captureBodyHtml(const QString &copied) {
    // Copies made on this system end their lines with LF, older programs' with CR LF or CR.
    return QStringLiteral("<br>") + QChar(0xE5E5) + QChar(0xE5E5) +
           common::splitLines(copied).join(QStringLiteral("<br>")) +
           (common::lineEndLengthAt(copied, copied.size() - 1) > 0 ? QStringLiteral("<br>")
                                                                   : QString());
}

QString capturePage(const QString &pageTemplate, const QString &title, const QString &body) {
    QString page = pageTemplate;
    page.replace(QStringLiteral("标题"), title);
    page.replace(QStringLiteral("正文"), body);
    return page;
}

} // namespace text
