#pragma once

#include <QString>

namespace fulltext {

// What the index reads of an EPUB book: its title (dc:title) and its chapters' text in reading
// order (the spine). A file that is no readable EPUB gives ok == false. Books are untrusted:
// at most kMaxEpubTextBytes of chapters are read, and a chapter that claims more is passed over.
struct EpubText {
    bool ok = false;
    QString title;
    QString body;
};
inline constexpr qint64 kMaxEpubTextBytes = qint64(64) << 20;

EpubText readEpubText(const QString &path);

} // namespace fulltext
