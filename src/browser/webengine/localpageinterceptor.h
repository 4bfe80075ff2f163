#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace browser {

// Blocks what a page read from the disk, its frames and its workers ask of the network:
// the engine's own setting for local pages (LocalContentCanAccessRemoteUrls) lets WebSocket
// connections through. Navigations of the page itself are decided before they start
// (WebEnginePage), and are left alone here.
class LocalPageInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};

} // namespace browser
