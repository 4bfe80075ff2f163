#pragma once

#include "browser/browserview.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWebEngineScript>

class QWebEngineProfile;

namespace browser {

// Makes engine views that share one profile kept on disk, so cookies, logins and the cache
// outlive the program.
class WebEngineViewFactory : public ViewFactory {
public:
    // `storageFolder` holds the profile; an empty one keeps nothing on disk (tests). Its HTTP
    // cache is in `cacheFolder`, or in the storage folder's cache/ when none is given.
    explicit WebEngineViewFactory(const QString &storageFolder,
                                  const QString &cacheFolder = QString());
    ~WebEngineViewFactory() override;

    BrowserView *createView(QObject *parent, bool shownAtOnce = false) override;

    QWebEngineProfile *profile() const { return m_profile; }

private:
    // Adds a script of the program's resources to every page of the profile.
    void insertScript(const QString &resource, QWebEngineScript::InjectionPoint point,
                      QWebEngineScript::ScriptWorldId world, bool subFrames);

    QWebEngineProfile *m_profile;
    // The engine asks again for a download it takes up after a dropped connection (same id):
    // that request goes on in the download the program already follows.
    QHash<quint32, QPointer<class WebEngineDownload>> m_downloads;
};

} // namespace browser
