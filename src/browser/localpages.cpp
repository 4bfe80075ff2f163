#include "localpages.h"

#include "common/urlrules.h"

namespace browser {

bool isLocalDocument(const QUrl &url) {
    if (url.scheme() == QLatin1String("blob")) {
        const QString origin = url.path();
        return origin.startsWith(QLatin1String("null/")) ||
               origin.startsWith(QLatin1String("file:"));
    }
    return url.scheme() == QLatin1String("file");
}

bool reachesOut(const QUrl &url) {
    if (url.isEmpty())
        return false;
    const QString scheme = url.scheme();
    for (const char *local : {"file", "data", "blob", "about", "qrc", common::kProgramScheme}) {
        if (scheme == QLatin1String(local))
            return false;
    }
    return true;
}

bool isOpenableAddress(const QUrl &url) {
    return common::isOpenableAddress(url);
}

QList<QUrl> openableAddresses(const QList<QUrl> &urls, QStringList *refused) {
    QList<QUrl> out;
    for (const QUrl &url : urls) {
        if (isOpenableAddress(url))
            out.append(url);
        else if (refused)
            refused->append(url.toString().left(200));
    }
    return out;
}

QString refusedAddressesText(const QStringList &refused) {
    return QStringLiteral("没有打开 %1 个不能打开的地址（只打开 http、https 和 file 网址）：%2")
        .arg(refused.size())
        .arg(refused.mid(0, 5).join(u' '));
}

bool mayGoOn(const PageRequest &request) {
    if (!request.fromLocalPage || !reachesOut(request.target))
        return true;
    switch (request.kind) {
    case PageRequest::Kind::MainFrame:
    case PageRequest::Kind::NewWindow:
        return request.byUser;
    case PageRequest::Kind::Subresource:
    case PageRequest::Kind::Frame:
        break;
    }
    return false;
}

} // namespace browser
