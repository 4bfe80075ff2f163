#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace browser {

// The script text of a resource in :/lumaro/js, with each placeholder replaced by the JSON
// literal of its value (safe for quotes, backslashes, line ends, CJK and "</script>").
QString scriptWithArguments(const QString &resource, const QList<QPair<QString, QString>> &args);

} // namespace browser
