#include "fallbackname.h"

#include "filenaming.h"

#include "common/textsearch.h"

namespace saving {

QString shownTitle(const QString &title, const QUrl &url) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty() || url.isEmpty())
        return trimmed;
    QString withoutScheme = url.toString(QUrl::RemoveScheme);
    while (withoutScheme.startsWith(u'/') && !url.isLocalFile())
        withoutScheme.remove(0, 1);
    const QStringList addresses = {url.toString(), url.toDisplayString(), withoutScheme,
                                   url.toDisplayString(QUrl::RemoveScheme).mid(2),
                                   url.isLocalFile() ? url.toLocalFile() : QString()};
    return addresses.contains(trimmed) ? QString() : trimmed;
}

QString untitledName(const QDateTime &when) {
    return QStringLiteral("无标题-") + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

QString nameOrFallback(const QString &name, const QString &title, const QUrl &url,
                       const QDateTime &when) {
    if (!name.isEmpty())
        return name;
    const QString fromTitle = correctName(common::trimSpaces(shownTitle(title, url)));
    return fromTitle.isEmpty() ? untitledName(when) : fromTitle;
}

} // namespace saving
