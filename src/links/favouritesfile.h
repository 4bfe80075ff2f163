#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The favourites page link.htm as text: rows are added, found, changed and removed by their
// fixed markup. Each entry row carries two buttons named "B1" + KEY (edit) and "B2" + KEY
// (delete), KEY being 15 letters A-Y. Addresses and comments are stored escaped, so any page
// title or address shows as the user saw it and never becomes markup or script.
namespace links::favourites {

struct Entry {
    QString address;
    QString comment;
    // Where an imported bookmark was kept: its folders, outermost first, joined by "/" (a "/"
    // of a folder's own name written "／"); empty for the top. Kept in the row's tr tag
    // (data-folder), as the time it was added (data-added, seconds since 1970; 0: unknown).
    QString folder = QString();
    qint64 added = 0;
};

// A new random row key: 15 capital letters from A to Y.
QString newKey();

// The file with a row for `address` and `comment` put before its last "</tr>"; no value
// when the file has no "</tr>". The rest of the file stays as it was, byte for byte.
std::optional<QString> addEntry(QStringView file, const QString &address, const QString &comment,
                                const QString &key);
// The same with the entry's folder and time, when it has them.
std::optional<QString> addEntry(QStringView file, const Entry &entry, const QString &key);

// Whether a row of the file opens `address` (as addEntry writes it), or an address the engine
// writes the same way (comparableAddress: "http://0x7f.1" and "http://127.0.0.1/").
// Example: after addEntry(file, "http://a/", ...), containsAddress(result, "http://a/").
bool containsAddress(QStringView file, const QString &address);

// The address and comment of the row whose button is named `buttonName`, as the user sees
// them (unescaped), with its folder and time; no value when the name is not in the file.
std::optional<Entry> findEntry(QStringView file, const QString &buttonName);

enum class EditResult { Done, NameNotFound, RowBroken };

// Removes the row of the button named `buttonName`.
EditResult deleteEntry(QString &file, const QString &buttonName);

// Changes the address and comment of the row of `buttonName` from `old` to `changed`.
EditResult editEntry(QString &file, const QString &buttonName, const Entry &old,
                     const Entry &changed);

// An edit button's name has an odd digit as its second character ("B1..."); any other name
// belongs to a delete button.
bool isEditButton(const QString &buttonName);

// `before` and `after` joined where a row was taken out: the line break the row ended leaves
// with it ("...</tr>\r\n" and "\r\n</table>" join as "...</tr>\r\n</table>").
QString joinLines(QStringView before, QStringView after);

// The line end a new row of `file` is written with: LF in a file whose lines end with LF
// alone, CR LF otherwise (the program's own files).
QString lineEndOf(QStringView file);

} // namespace links::favourites
