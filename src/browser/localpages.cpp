#include "localpages.h"

namespace browser {

bool isLocalDocument(const QUrl &url) {
    return url.scheme() == QLatin1String("file");
}

bool reachesOut(const QUrl &url) {
    if (url.isEmpty())
        return false;
    const QString scheme = url.scheme();
    for (const char *local : {"file", "data", "blob", "about", "qrc"}) {
        if (scheme == QLatin1String(local))
            return false;
    }
    return true;
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
