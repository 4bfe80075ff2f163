#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace browser {

// What a tab holds, enough to open it again: its page, its title and its mark.
struct TabRecord {
    QUrl url;
    QString title;
    bool marked = false;

    bool operator==(const TabRecord &) const = default;
};

} // namespace browser
