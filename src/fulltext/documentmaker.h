#pragma once

// How the index's documents are made from a saved file or a page read, in one place for the
// thread that writes the index and for the thread that reads files ahead of it.

// Xapian's headers come before Qt's, whose keyword macros (signals, slots) they would meet.
#include <xapian.h>

#include "savedsources.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace fulltext {

// Makes documents: title and text as terms, with the id, kind and filter terms and the values
// every document has. Chinese, Japanese and Korean text is taken as single characters (with
// their positions, for phrases) and pairs of them, as Xapian's query parser asks for them;
// English words also by their stems ("Z" terms). The pairs get no stems: no query asks for
// one, and they would double the terms of a Chinese page (3,600 instead of 6,800 for 24 KB of
// text) and the time to write them.
// One maker a thread: a maker is not to be shared.
class DocumentMaker {
public:
    DocumentMaker();

    Xapian::Document make(const std::string &id, const QString &kind, const QString &title,
                          const QString &body, const QStringList &filters, qint64 mtime,
                          qint64 size, qint64 saved);
    // The document of the saved file at `path` (the file's size and mtime as given), with its
    // path value and its data; nothing when the file cannot be read as a saved page.
    std::optional<Xapian::Document> savedFile(const QString &path, const std::string &id,
                                              qint64 mtime, qint64 size,
                                              const std::optional<SavedSource> &source);

private:
    Xapian::TermGenerator m_generator;
};

} // namespace fulltext
