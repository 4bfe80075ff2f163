#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace browser {

// What a page may have to ask the user while it loads: a login for a site that asks for one,
// and whether to go on to a site whose certificate is not trusted.
class PageDialogs {
public:
    struct Login {
        QString user;
        QString password;
    };

    virtual ~PageDialogs() = default;
    // The site's login; no value when the user cancels.
    virtual std::optional<Login> askLogin(const QUrl &url, const QString &realm) = 0;
    // True to go on to the site despite `problem`, false to go back.
    virtual bool askCertificateException(const QUrl &url, const QString &problem) = 0;
};

} // namespace browser
