#pragma once

#include "tabrecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace browser {

// The open tabs as the session file keeps them: every tab after the first (the favourites
// tab), in strip order, the 1-based position of the shown tab, and whether the program quit
// normally after writing it. The file is JSON:
//   {"version":1,"cleanQuit":false,"shown":2,"tabs":[{"url":"http://a/","title":"A","marked":true}]}
struct TabSession {
    QList<TabRecord> tabs;
    int shownPosition = 1;
    bool cleanQuit = false;

    QByteArray toJson() const;
    // Reads a session file's content; no value (and the reason in Chinese in `error`) when it
    // is cut short, not JSON, or not a session. Entries without a usable address are skipped.
    static std::optional<TabSession> fromJson(const QByteArray &data, QString *error = nullptr);
};

} // namespace browser
