#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace serial {

struct Book;

// The entries of the book's EPUB 3 file, in the order they are stored: "mimetype" first, then
// META-INF/container.xml, the package document, the navigation document and one XHTML file per
// chapter (paragraphs from the text's lines).
QList<QPair<QString, QByteArray>> epubEntries(const Book &book);

// Writes the EPUB file atomically: "mimetype" stored uncompressed first, the rest deflated.
bool writeEpub(const Book &book, const QString &path, QString *error = nullptr);

} // namespace serial
