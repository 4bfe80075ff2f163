#include "resourcefetcher.h"

#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace browser {

namespace {
constexpr int kFileTimeoutMs = 30000;
}

ResourceFetcher *ResourceFetcher::forProfile(QWebEngineProfile *profile) {
    if (auto *existing =
            profile->findChild<ResourceFetcher *>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new ResourceFetcher(profile);
}

ResourceFetcher::ResourceFetcher(QWebEngineProfile *profile)
    : QObject(profile), m_profile(profile) {
    QNetworkCookieJar *jar = m_network.cookieJar();
    QWebEngineCookieStore *store = profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this,
            [jar](const QNetworkCookie &cookie) { jar->insertCookie(cookie); });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [jar](const QNetworkCookie &cookie) { jar->deleteCookie(cookie); });
    store->loadAllCookies();
}

void ResourceFetcher::fetch(const QUrl &url, const QUrl &referrer,
                            std::function<void(saving::FetchedResource)> reply) {
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", m_profile->httpUserAgent().toUtf8());
    request.setRawHeader("Accept", "*/*");
    const QString scheme = referrer.scheme();
    if (scheme == u"http" || scheme == u"https")
        request.setRawHeader("Referer", referrer.adjusted(QUrl::RemoveFragment).toEncoded());
    request.setTransferTimeout(kFileTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *answer = m_network.get(request);
    auto tooLarge = std::make_shared<bool>(false);
    connect(answer, &QNetworkReply::downloadProgress, answer,
            [answer, tooLarge](qint64 received, qint64 total) {
                if (received > saving::kWholePageResourceLimit ||
                    total > saving::kWholePageResourceLimit) {
                    *tooLarge = true;
                    answer->abort();
                }
            });
    connect(answer, &QNetworkReply::finished, answer, [answer, tooLarge, reply] {
        answer->deleteLater();
        saving::FetchedResource file;
        const int status = answer->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (*tooLarge) {
            file.tooLarge = true;
        } else if (answer->error() != QNetworkReply::NoError) {
            file.error = answer->errorString();
        } else if (status >= 400) {
            file.error = QStringLiteral("HTTP %1").arg(status);
        } else {
            file.ok = true;
            file.data = answer->readAll();
            file.contentType = answer->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        }
        reply(std::move(file));
    });
}

} // namespace browser
