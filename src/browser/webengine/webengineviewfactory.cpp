#include "webengineviewfactory.h"

#include "localpageinterceptor.h"
#include "pagescript.h"
#include "programpages.h"
#include "webenginedownload.h"
#include "webenginepage.h"
#include "webenginepagehooks.h"
#include "webengineview.h"

#include "common/urlrules.h"

#include <QDir>
#include <QWebEngineDownloadRequest>

#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace browser {

WebEngineViewFactory::WebEngineViewFactory(const QString &storageFolder,
                                           const QString &cacheFolder) {
    if (storageFolder.isEmpty()) {
        m_profile = new QWebEngineProfile;
    } else {
        m_profile = new QWebEngineProfile(QStringLiteral("lumaro"));
        m_profile->setPersistentStoragePath(storageFolder + QStringLiteral("/storage"));
        const QString inStorage = storageFolder + QStringLiteral("/cache");
        if (cacheFolder.isEmpty()) {
            m_profile->setCachePath(inStorage);
        } else {
            m_profile->setCachePath(cacheFolder);
            QDir(inStorage).removeRecursively(); // where earlier versions kept it
        }
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    }
    // Owned by the profile, so that it serves the profile as long as it lives.
    m_profile->setUrlRequestInterceptor(new LocalPageInterceptor(m_profile));
    m_profile->installUrlSchemeHandler(common::kProgramScheme,
                                       new ProgramPagesHandler(m_programPages, m_profile));
    insertScript(QStringLiteral("local_page_channels.js"), QWebEngineScript::DocumentCreation,
                 QWebEngineScript::MainWorld, true);
    // The favourites page watches its buttons from the moment its document is ready, so that
    // a click right after the page was reloaded (an entry edited, a row deleted) is not lost.
    // The script returns at once on every other page.
    insertScript(QStringLiteral("favourites_buttons.js"), QWebEngineScript::DocumentReady,
                 QWebEngineScript::ApplicationWorld, false);
    insertScript(QStringLiteral("favourites_colours.js"), QWebEngineScript::DocumentReady,
                 QWebEngineScript::ApplicationWorld, false);
    insertScript(QStringLiteral("favourites_folders.js"), QWebEngineScript::DocumentReady,
                 QWebEngineScript::ApplicationWorld, false);
    // Pages in Chinese where the site has them.
    m_profile->setHttpAcceptLanguage(QStringLiteral("zh-CN,zh;q=0.9,en;q=0.5"));
    QObject::connect(m_profile, &QWebEngineProfile::downloadRequested, m_profile,
                     [this](QWebEngineDownloadRequest *request) {
                         if (WebEngineDownload *known = m_downloads.value(request->id());
                             known && known->isAccepted() && !request->isSavePageDownload()) {
                             known->takeOver(request);
                             return;
                         }
                         if (m_pageSaveFolder)
                             WebEnginePageHooks::preparePageSave(request, m_pageSaveFolder());
                         auto *page = qobject_cast<WebEnginePage *>(request->page());
                         const bool asked = request->isSavePageDownload() ||
                                            (page && page->owner()->claimDownload(request->url()));
                         if (page)
                             page->owner()->trackDownload(request);
                         auto *download = new WebEngineDownload(request, asked);
                         m_downloads.insert(request->id(), download);
                         if (m_downloadHandler)
                             m_downloadHandler(download);
                         else if (!request->isSavePageDownload())
                             request->cancel();
                         else
                             request->accept();
                     });
}

void WebEngineViewFactory::insertScript(const QString &resource,
                                        QWebEngineScript::InjectionPoint point,
                                        QWebEngineScript::ScriptWorldId world, bool subFrames) {
    QWebEngineScript script;
    script.setName(QStringLiteral("lumaro-") + resource);
    script.setSourceCode(scriptWithArguments(resource, {}));
    script.setInjectionPoint(point);
    script.setWorldId(world);
    script.setRunsOnSubFrames(subFrames);
    m_profile->scripts()->insert(script);
}

WebEngineViewFactory::~WebEngineViewFactory() {
    delete m_profile;
}

BrowserView *WebEngineViewFactory::createView(QObject *parent, bool) {
    auto *view = new WebEngineView(m_profile, parent);
    new WebEnginePageHooks(view, m_pageDialogs);
    return view;
}

} // namespace browser
