#pragma once

#include "favouritesfile.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

#include <functional>

// Many links added to the favourites page at once (the links of a page).
namespace links::favourites {

// The address and comment of every entry row, in the file's order, as the user sees them
// (unescaped). The file is read once, however many rows it holds.
QList<Entry> entryList(QStringView file);

// The addresses of the file's entry rows, as the user sees them (unescaped).
QSet<QString> entryAddresses(QStringView file);

struct AddedEntries {
    QString file;
    int added = 0;
};

// The file with a row for every entry whose address it does not hold yet (nor an earlier
// entry of the list), addresses compared as the engine writes them (comparableAddress), in list
// order, each with a key from `newKey`; no value when the file has no "</tr>".
std::optional<AddedEntries> addEntries(QStringView file, const QList<Entry> &entries,
                                       const std::function<QString()> &newKey);

} // namespace links::favourites
