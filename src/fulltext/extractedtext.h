#pragma once

#include <QString>

namespace fulltext {

// What the index reads of a book or a PDF: its title and its text in reading order. A file
// that is no readable book or PDF gives ok == false. Such files are untrusted: at most
// kMaxExtractedTextBytes of text are read.
struct ExtractedText {
    bool ok = false;
    QString title;
    QString body;
};
inline constexpr qint64 kMaxExtractedTextBytes = qint64(64) << 20;

// An EPUB: its dc:title, then its chapters in spine order; a chapter that claims more than
// what is left of the limit is passed over.
ExtractedText readEpubText(const QString &path);
// A PDF (those printed with 打印为PDF, and any other): the title from its metadata, the text of
// every page, page after page.
ExtractedText readPdfText(const QString &path);

} // namespace fulltext
