#pragma once

#include "bookmarksfile.h"

#include "common/ansifile.h"

#include <QString>
#include <QStringList>

#include <optional>

// Bookmark files in and out of the favourites page link.htm.
namespace links::bookmarks {

struct ImportResult {
    int added = 0;       // rows added to link.htm
    int duplicates = 0;  // entries whose address link.htm already held (or an earlier entry)
    QStringList refused; // addresses that may not open, left out
};

// Reads the bookmark file at `bookmarksPath` (in the charset the reading rule finds, or in
// `options.charset`) and adds a row for each new openable address to the favourites file at
// `favouritesPath`, through the same check as every addition of many favourites
// (favourites::addEntries and writeFavouritesFile with Change::AddRows): the file is written
// only when rows were added and it was not changed meanwhile. No value on failure, with the
// reason in `error`.
std::optional<ImportResult> importBookmarks(const QString &bookmarksPath,
                                            const QString &favouritesPath,
                                            const common::ReadOptions &options, QString *error);

// Writes every entry of the favourites file at `favouritesPath` into a new bookmark file at
// `bookmarksPath` (UTF-8, replaced atomically). Gives the number of entries written, or no
// value with the reason in `error`.
std::optional<int> exportBookmarks(const QString &favouritesPath, const QString &bookmarksPath,
                                   QString *error);

} // namespace links::bookmarks
