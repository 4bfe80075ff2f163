#include "webengineviewfactory.h"

#include "webenginedownload.h"
#include "webenginepage.h"
#include "webengineview.h"

#include <QWebEngineDownloadRequest>

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
    QObject::connect(m_profile, &QWebEngineProfile::downloadRequested, m_profile,
                     [this](QWebEngineDownloadRequest *request) {
                         auto *page = qobject_cast<WebEnginePage *>(request->page());
                         const bool asked = request->isSavePageDownload() ||
                                            (page && page->owner()->claimDownload(request->url()));
                         auto *download = new WebEngineDownload(request, asked);
                         if (m_downloadHandler)
                             m_downloadHandler(download);
                         else if (!request->isSavePageDownload())
                             request->cancel();
                         else
                             request->accept();
                     });
}

WebEngineViewFactory::~WebEngineViewFactory() {
    delete m_profile;
}

BrowserView *WebEngineViewFactory::createView(QObject *parent, bool) {
    return new WebEngineView(m_profile, parent);
}

} // namespace browser
