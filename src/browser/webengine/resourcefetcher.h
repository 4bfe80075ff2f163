#pragma once

#include "saving/wholepage.h"

#include <QNetworkAccessManager>
#include <QObject>

#include <functional>

class QWebEngineProfile;

namespace browser {

// Fetches the files a page uses for keeping it whole, outside the page: with the profile's
// user agent and cookies (kept in step with its cookie store), the page as the referrer, and
// at most saving::kWholePageResourceLimit bytes a file. One for each profile.
class ResourceFetcher : public QObject {
    Q_OBJECT
public:
    static ResourceFetcher *forProfile(QWebEngineProfile *profile);
    void fetch(const QUrl &url, const QUrl &referrer,
               std::function<void(saving::FetchedResource)> reply);

private:
    explicit ResourceFetcher(QWebEngineProfile *profile);
    QWebEngineProfile *m_profile;
    QNetworkAccessManager m_network;
};

} // namespace browser
