#include "sitesearch.h"

#include "common/urlrules.h"

#include <QRegularExpression>
#include <QStringEncoder>

namespace shell {

QUrl firstEngineSearchUrl() {
    QString name = QString::fromUtf8(kSiteName);
    name.replace(QStringLiteral("PDF"), QStringLiteral("pdf"));
    return firstEngineSearchUrl(name);
}

QUrl firstEngineSearchUrl(const QString &words) {
    QStringEncoder gbk("GB18030");
    const QByteArray wd = QByteArray(gbk.encode(words)).toPercentEncoding();
    return QUrl::fromEncoded("https://www.baidu.com/s?wd=" + wd + "&cl=3");
}

QUrl addressForTypedText(const QString &typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {};
    static const QRegularExpression scheme(
        QStringLiteral("^(https?|file|ftp|about|data|view-source):"),
        QRegularExpression::CaseInsensitiveOption);
    // The program's own pages ("lumaro:history") open as typed.
    if (text.startsWith(QLatin1String(common::kProgramScheme) + u':', Qt::CaseInsensitive) &&
        !text.contains(u' '))
        return QUrl(text.section(u':', 0, 0).toLower() + u':' + text.section(u':', 1));
    if (scheme.match(text).hasMatch() || text.startsWith(u'/') || text.startsWith(u'~'))
        return QUrl::fromUserInput(text);
    // A host name: no blanks, and a dot or a port, or the machine itself.
    static const QRegularExpression host(
        QStringLiteral("^(localhost|[^\\s/?#:]+\\.[^\\s/?#:.]+|[^\\s/?#:]+:\\d+)([:/?#]\\S*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (host.match(text).hasMatch()) {
        const QUrl url = QUrl::fromUserInput(text);
        if (url.isValid())
            return url;
    }
    return firstEngineSearchUrl(text);
}

QUrl secondEngineSearchUrl() {
    const QByteArray q = QString::fromUtf8(kSiteName).toUtf8().toPercentEncoding();
    const QByteArray button =
        QStringLiteral("Google 搜索").toUtf8().toPercentEncoding(" ").replace(' ', '+');
    return QUrl::fromEncoded("https://www.google.com/search?complete=1&hl=zh-CN&q=" + q +
                             "&btnG=" + button + "&meta=");
}

} // namespace shell
