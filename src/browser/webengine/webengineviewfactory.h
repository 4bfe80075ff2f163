#pragma once

#include "browser/browserview.h"

#include <QString>

class QWebEngineProfile;

namespace browser {

// Makes engine views that share one profile kept on disk, so cookies, logins and the cache
// outlive the program.
class WebEngineViewFactory : public ViewFactory {
public:
    // `storageFolder` holds the profile; an empty one keeps nothing on disk (tests).
    explicit WebEngineViewFactory(const QString &storageFolder);
    ~WebEngineViewFactory() override;

    BrowserView *createView(QObject *parent, bool shownAtOnce = false) override;

    QWebEngineProfile *profile() const { return m_profile; }

private:
    QWebEngineProfile *m_profile;
};

} // namespace browser
