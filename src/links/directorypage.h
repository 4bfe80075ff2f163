#pragma once

#include <QList>
#include <QString>

namespace links {

// One open page as the directory page lists it.
struct DirectoryEntry {
    QString address;
    QString title; // already cleaned; "unTitle" stands in for an empty one
};

// The directory page listing `entries` (already in the order to list them) as links that
// open in a new window. An address is listed once, for its first entry. Titles and
// addresses are escaped, so a page title shows as the page had it and never becomes markup.
QString directoryPage(const QList<DirectoryEntry> &entries);

} // namespace links
