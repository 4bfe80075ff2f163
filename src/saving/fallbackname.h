#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

// Names for saved files when the text meant to name them cleans to nothing: the page title,
// else a name made of the date and time. A name is never empty, so no file is hidden.
namespace saving {

// The page's own title; empty for a page without one, for which the engine shows its address
// instead (with or without the scheme). Example: shownTitle("127.0.0.1:8080/a.htm",
// QUrl("http://127.0.0.1:8080/a.htm")) is empty.
QString shownTitle(const QString &title, const QUrl &url);

// "无标题-" and the date and time to the second. Example: "无标题-2026-12-07-153012".
QString untitledName(const QDateTime &when);

// `name` when it is not empty, else the cleaned title (see shownTitle), else untitledName.
QString nameOrFallback(const QString &name, const QString &title, const QUrl &url,
                       const QDateTime &when);

} // namespace saving
