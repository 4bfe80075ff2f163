// The PDF reader, a module of its own: Qt's PDF module brings 40 more libraries (Qt's GUI,
// OpenGL, the network), and only a scan that meets a PDF needs them. Loaded by pdftext.cpp.
#include "extractedtext.h"

#include <QPdfDocument>
#include <QPdfSelection>

extern "C" Q_DECL_EXPORT void lumaro_read_pdf_text(const QString &path,
                                                   fulltext::ExtractedText *text) {
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None)
        return;
    text->ok = true;
    text->title = document.metaData(QPdfDocument::MetaDataField::Title).toString().simplified();
    QStringList pages;
    qint64 left = fulltext::kMaxExtractedTextBytes / 2; // UTF-16 characters
    for (int page = 0; page < document.pageCount() && left > 0; ++page) {
        const QString pageText = document.getAllText(page).text();
        left -= pageText.size();
        pages.append(pageText);
    }
    text->body = pages.join(u'\n');
}
