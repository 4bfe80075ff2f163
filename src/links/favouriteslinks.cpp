#include "favouriteslinks.h"

#include "common/linkaddress.h"

namespace links::favourites {

QSet<QString> entryAddresses(QStringView file) {
    QSet<QString> addresses;
    for (const Entry &entry : entryList(file))
        addresses.insert(entry.address);
    return addresses;
}

QList<Entry> entryList(QStringView file) {
    QList<Entry> entries;
    const QStringView marker = u"name=\"B1";
    // Each row is looked up in the text after the previous row's buttons, where its cells
    // stand: the file is read once, however many rows it holds.
    qsizetype rowStart = 0;
    for (qsizetype at = file.indexOf(marker); at >= 0; at = file.indexOf(marker, at + 1)) {
        const qsizetype nameStart = at + 6;
        const qsizetype nameEnd = file.indexOf(u'"', nameStart);
        if (nameEnd < 0)
            break;
        const QString name = file.sliced(nameStart, nameEnd - nameStart).toString();
        if (const auto entry = findEntry(file.sliced(rowStart, nameEnd + 1 - rowStart), name))
            entries.append(*entry);
        rowStart = nameEnd + 1;
    }
    return entries;
}

std::optional<AddedEntries> addEntries(QStringView file, const QList<Entry> &entries,
                                       const std::function<QString()> &newKey) {
    const qsizetype last = file.lastIndexOf(u"</tr>", -1, Qt::CaseInsensitive);
    if (last < 0)
        return std::nullopt;
    // Rows added one after the other each go before the file's last "</tr>": together they
    // are the rows that addEntry() puts before a lone "</tr>", in order.
    const QString close = QStringLiteral("</tr>");
    // Addresses compare as the engine writes them: "http://0x7f.1" is held as
    // "http://127.0.0.1/".
    QSet<QString> present;
    for (const QString &address : entryAddresses(file))
        present.insert(common::comparableAddress(address));
    QString rows;
    int added = 0;
    for (const Entry &entry : entries) {
        const QString key = common::comparableAddress(entry.address);
        if (entry.address.trimmed().isEmpty() || present.contains(key))
            continue;
        QString row = *addEntry(close, entry, newKey());
        row.replace(QStringLiteral("\r\n"), lineEndOf(file));
        rows += QStringView(row).chopped(close.size());
        present.insert(key);
        ++added;
    }
    if (added == 0)
        return AddedEntries{file.toString(), 0};
    return AddedEntries{file.first(last).toString() + rows + file.sliced(last).toString(), added};
}

} // namespace links::favourites
