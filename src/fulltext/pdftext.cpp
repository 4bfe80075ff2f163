#include "extractedtext.h"

#include <QPdfDocument>
#include <QPdfSelection>

namespace fulltext {

ExtractedText readPdfText(const QString &path) {
    ExtractedText text;
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None)
        return text;
    text.ok = true;
    text.title = document.metaData(QPdfDocument::MetaDataField::Title).toString().simplified();
    QStringList pages;
    qint64 left = kMaxExtractedTextBytes / 2; // UTF-16 characters
    for (int page = 0; page < document.pageCount() && left > 0; ++page) {
        const QString pageText = document.getAllText(page).text();
        left -= pageText.size();
        pages.append(pageText);
    }
    text.body = pages.join(u'\n');
    return text;
}

} // namespace fulltext
