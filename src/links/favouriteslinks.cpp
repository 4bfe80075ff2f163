#include "favouriteslinks.h"

namespace links::favourites {

QSet<QString> entryAddresses(QStringView file) {
    QSet<QString> addresses;
    const QStringView marker = u"name=\"B1";
    for (qsizetype at = file.indexOf(marker); at >= 0; at = file.indexOf(marker, at + 1)) {
        const qsizetype nameStart = at + 6;
        const qsizetype nameEnd = file.indexOf(u'"', nameStart);
        if (nameEnd < 0)
            break;
        const auto entry = findEntry(file, file.sliced(nameStart, nameEnd - nameStart).toString());
        if (entry)
            addresses.insert(entry->address);
    }
    return addresses;
}

std::optional<AddedEntries> addEntries(QStringView file, const QList<Entry> &entries,
                                       const std::function<QString()> &newKey) {
    if (!file.contains(u"</tr>", Qt::CaseInsensitive))
        return std::nullopt;
    QSet<QString> present = entryAddresses(file);
    AddedEntries result{file.toString(), 0};
    for (const Entry &entry : entries) {
        if (entry.address.trimmed().isEmpty() || present.contains(entry.address))
            continue;
        const auto changed = addEntry(result.file, entry.address, entry.comment, newKey());
        if (!changed)
            return std::nullopt;
        result.file = *changed;
        present.insert(entry.address);
        ++result.added;
    }
    return result;
}

} // namespace links::favourites
