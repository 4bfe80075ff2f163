#include "sitesearch.h"

#include <QStringEncoder>

namespace shell {

QUrl firstEngineSearchUrl() {
    QString name = QString::fromUtf8(kSiteName);
    name.replace(QStringLiteral("PDF"), QStringLiteral("pdf"));
    QStringEncoder gbk("GBK");
    const QByteArray wd = QByteArray(gbk.encode(name)).toPercentEncoding();
    return QUrl::fromEncoded("https://www.baidu.com/s?wd=" + wd + "&cl=3");
}

QUrl secondEngineSearchUrl() {
    const QByteArray q = QString::fromUtf8(kSiteName).toUtf8().toPercentEncoding();
    const QByteArray button =
        QStringLiteral("Google 搜索").toUtf8().toPercentEncoding(" ").replace(' ', '+');
    return QUrl::fromEncoded("https://www.google.com/search?complete=1&hl=zh-CN&q=" + q +
                             "&btnG=" + button + "&meta=");
}

} // namespace shell
