#include "webengineviewfactory.h"

#include "webengineview.h"

#include <QWebEngineProfile>

namespace browser {

WebEngineViewFactory::WebEngineViewFactory(const QString &storageFolder) {
    if (storageFolder.isEmpty()) {
        m_profile = new QWebEngineProfile;
    } else {
        m_profile = new QWebEngineProfile(QStringLiteral("lumaro"));
        m_profile->setPersistentStoragePath(storageFolder + QStringLiteral("/storage"));
        m_profile->setCachePath(storageFolder + QStringLiteral("/cache"));
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    }
}

WebEngineViewFactory::~WebEngineViewFactory() {
    delete m_profile;
}

void WebEngineViewFactory::limitRendererProcesses(int count) {
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                flags + " --renderer-process-limit=" + QByteArray::number(count));
}

BrowserView *WebEngineViewFactory::createView(QObject *parent) {
    return new WebEngineView(m_profile, parent);
}

} // namespace browser
