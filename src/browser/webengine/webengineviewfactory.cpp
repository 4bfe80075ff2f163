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

BrowserView *WebEngineViewFactory::createView(QObject *parent) {
    return new WebEngineView(m_profile, parent);
}

} // namespace browser
