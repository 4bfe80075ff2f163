#include "localpageinterceptor.h"

#include "browser/localpages.h"

namespace browser {

void LocalPageInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info) {
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        return;
    // The first party is the top document (for a worker too); the initiator, the document or
    // frame that asked.
    PageRequest request;
    request.fromLocalPage =
        isLocalDocument(info.firstPartyUrl()) || isLocalDocument(info.initiator());
    request.target = info.requestUrl();
    request.kind = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame
                       ? PageRequest::Kind::Frame
                       : PageRequest::Kind::Subresource;
    if (!mayGoOn(request))
        info.block(true);
}

} // namespace browser
