#include "saveddocument.h"

#include "serial/chainstate.h"

#include "extractedtext.h"

#include "common/ansifile.h"
#include "common/characterreferences.h"
#include "text/htmltotext.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace fulltext {

namespace {

// Cuts every "<open" ... "</close>" block, letter case ignored; an unclosed one runs to the end.
QString cutBlocks(const QString &html, QLatin1StringView open, QLatin1StringView close) {
    QString out;
    out.reserve(html.size());
    qsizetype from = 0;
    while (true) {
        const qsizetype start = html.indexOf(open, from, Qt::CaseInsensitive);
        if (start < 0)
            break;
        out += QStringView(html).sliced(from, start - from);
        const qsizetype end = html.indexOf(close, start, Qt::CaseInsensitive);
        if (end < 0)
            return out;
        from = end + close.size();
    }
    out += QStringView(html).sliced(from);
    return out;
}

} // namespace

bool isIndexedFile(const QString &path) {
    const QFileInfo file(path);
    const QString suffix = file.suffix().toLower();
    if (suffix != u"htm" && suffix != u"html" && suffix != u"txt" && suffix != u"epub" &&
        suffix != u"pdf")
        return false;
    const QString name = file.fileName().toLower();
    for (const char *own : {"seen.txt", "href.txt", "email.txt", "link.htm", "help.html"}) {
        if (name == QLatin1String(own))
            return false;
    }
    const QDir folder = file.dir();
    const QString folderName = folder.dirName();
    for (const char *kept : {"savetemplate", "inputtemplate", "group", "profile", "index"}) {
        if (folderName == QLatin1String(kept))
            return !QFileInfo::exists(
                QDir::cleanPath(folder.filePath(QStringLiteral("../link.htm"))));
    }
    return true;
}

QString htmlBodyText(const QString &html) {
    const QString noStyle =
        cutBlocks(html, QLatin1StringView("<style"), QLatin1StringView("</style>"));
    return common::decodeCharacterReferences(text::deleteHtmlTag(noStyle, false, true));
}

QString htmlTitle(const QString &html) {
    const qsizetype open = html.indexOf(QLatin1StringView("<title"), 0, Qt::CaseInsensitive);
    if (open < 0)
        return QString();
    const qsizetype start = html.indexOf(u'>', open);
    if (start < 0)
        return QString();
    const qsizetype end = html.indexOf(QLatin1StringView("</title"), start, Qt::CaseInsensitive);
    if (end < 0)
        return QString();
    return common::decodeCharacterReferences(QStringView(html).sliced(start + 1, end - start - 1))
        .simplified();
}

SavedDocument readSavedDocument(const QString &path) {
    SavedDocument document;
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    document.kind = suffix == u"txt" ? QStringLiteral("txt") : QStringLiteral("htm");
    if (suffix == u"epub" || suffix == u"pdf") {
        const ExtractedText book = suffix == u"pdf" ? readPdfText(path) : readEpubText(path);
        document.ok = book.ok;
        document.kind = suffix;
        document.title = book.title.isEmpty() ? info.completeBaseName() : book.title;
        document.body = book.body;
        return document;
    }
    common::ReadOptions options;
    options.maxBytes = common::kMaxTextFileBytes;
    const common::TextFileContent file = common::readTextFile(path, options);
    if (!file.ok)
        return document;
    document.ok = true;
    if (document.kind == u"htm") {
        document.title = htmlTitle(file.text);
        document.body = htmlBodyText(file.text);
    } else {
        document.body = file.text;
    }
    if (document.title.isEmpty())
        document.title = info.completeBaseName();
    // A series' chapters sit in a folder of their own beside the chain's state file.
    if (QFileInfo::exists(info.dir().filePath(serial::kStateFileName)))
        document.kind = QStringLiteral("chapter");
    return document;
}

bool hasPasswordField(const QString &html) {
    static const QRegularExpression field(
        QStringLiteral("<input\\b[^>]*\\btype\\s*=\\s*[\"']?password\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return field.match(html).hasMatch();
}

} // namespace fulltext
