#include "extractedtext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace fulltext {

namespace {

using ReadPdf = void (*)(const QString &path, ExtractedText *text);

// The folder of the running program (bin/ when installed; tools/, app/, tests/ or bench/ of a
// build): the module is in ../lib/lumaro/modules beside it.
QString programFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

// Loaded once, at the first PDF; null when the module cannot be loaded.
ReadPdf pdfReader() {
    static const ReadPdf reader = [] {
        QLibrary module(
            QDir(programFolder()).filePath(QStringLiteral("../lib/lumaro/modules/lumaro_pdftext")));
        const auto read = reinterpret_cast<ReadPdf>(module.resolve("lumaro_read_pdf_text"));
        if (!read)
            qWarning("cannot read PDFs: %s", qPrintable(module.errorString()));
        return read; // the module stays loaded
    }();
    return reader;
}

} // namespace

ExtractedText readPdfText(const QString &path) {
    ExtractedText text;
    if (const ReadPdf read = pdfReader())
        read(path, &text);
    return text;
}

} // namespace fulltext
