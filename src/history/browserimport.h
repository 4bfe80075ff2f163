#pragma once

#include "historystore.h"

#include <QList>
#include <QString>

namespace history {

// What another browser's history file held.
struct OtherHistory {
    QString browser; // "Firefox" or "Chromium"; empty when the file could not be read
    QList<Visit> visits;
    QString error; // in Chinese
};

// More visits than anyone made by hand: a larger file is read up to here, newest first.
inline constexpr int kMaxImportedVisits = 500'000;

// Reads the visits of a Firefox places.sqlite or a Chromium "History" file (web pages and files
// only), with the pages' titles. The file is copied first (with its journal) and the copy read,
// so the other browser's file is never written, also while that browser runs and holds it.
OtherHistory readOtherBrowserHistory(const QString &path);

} // namespace history
