#include "book.h"

#include "chainstate.h"
#include "chapterfiles.h"
#include "chaptertitle.h"
#include "epubwriter.h"

#include "common/ansifile.h"
#include "text/htmltotext.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace serial {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString withLf(QString text) {
    text.replace(kCrLf, QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The text of a chapter file without the title line the chain writes at its top.
QString bodyOf(const QString &text, const QString &title) {
    QString body = withLf(text);
    const qsizetype lineEnd = body.indexOf(QLatin1Char('\n'));
    const QString first = body.left(lineEnd < 0 ? body.size() : lineEnd).trimmed();
    if (!first.isEmpty() && first == title.trimmed())
        body = lineEnd < 0 ? QString() : body.mid(lineEnd + 1);
    while (body.startsWith(QLatin1Char('\n')))
        body.remove(0, 1);
    while (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    return body;
}

QString titleFromFileName(const QString &fileName) {
    const QString base = QFileInfo(fileName).completeBaseName();
    const qsizetype space = base.indexOf(QLatin1Char(' '));
    return space < 0 ? base : base.mid(space + 1);
}

} // namespace

std::optional<Book> readSeriesFolder(const QString &folder, QString *error) {
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir()) {
        if (error)
            *error = QStringLiteral("文件夹不存在：") + QDir::toNativeSeparators(folder);
        return std::nullopt;
    }
    QHash<int, IndexEntry> index;
    const common::TextFileContent indexFile = common::readTextFile(dir.filePath(kIndexFileName));
    if (indexFile.ok) {
        for (const IndexEntry &entry : parseIndex(indexFile.text))
            index.insert(entry.number, entry);
    }

    struct Found {
        int number;
        QString name;
    };
    QList<Found> files;
    const QStringList names = dir.entryList(
        {QStringLiteral("*.txt"), QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files);
    for (const QString &name : names) {
        if (const int number = chapterNumberOf(name); number > 0)
            files.append({number, name});
    }
    // A chapter saved twice under different titles keeps one file: the first by name.
    std::stable_sort(files.begin(), files.end(),
                     [](const Found &a, const Found &b) { return a.number < b.number; });
    files.erase(std::unique(files.begin(), files.end(),
                            [](const Found &a, const Found &b) { return a.number == b.number; }),
                files.end());
    if (files.isEmpty()) {
        if (error)
            *error = QStringLiteral("文件夹里没有章节文件：") + QDir::toNativeSeparators(folder);
        return std::nullopt;
    }

    Book book;
    const std::optional<ChainState> state = readChainState(folder);
    book.title = state && !state->title.isEmpty() ? state->title : dir.dirName();
    common::ReadOptions chapterOptions;
    chapterOptions.maxBytes = common::kMaxTextFileBytes;
    for (const Found &file : files) {
        const common::TextFileContent content =
            common::readTextFile(dir.filePath(file.name), chapterOptions);
        if (!content.ok) {
            if (error)
                *error = content.error;
            return std::nullopt;
        }
        BookChapter chapter;
        chapter.number = file.number;
        const IndexEntry entry = index.value(file.number);
        chapter.title = entry.title.isEmpty() ? titleFromFileName(file.name) : entry.title;
        chapter.address = entry.address;
        QString text = content.text;
        if (!file.name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
            text = text::deleteHtmlTag(text, false, true);
        chapter.text = bodyOf(text, chapter.title);
        book.chapters.append(chapter);
    }
    book.source = book.chapters.first().address;
    QStringList titles;
    for (const BookChapter &chapter : std::as_const(book.chapters))
        titles.append(chapter.title);
    if (const QString suffix = sharedTitleSuffix(titles); !suffix.isEmpty()) {
        for (BookChapter &chapter : book.chapters)
            chapter.title = chapter.title.chopped(suffix.size()).trimmed();
    }
    book.author =
        state && !state->author.isEmpty() ? state->author : authorIn(book.chapters.first().text);
    return book;
}

QString bookText(const Book &book) {
    QString out;
    qsizetype size = 0;
    for (const BookChapter &chapter : book.chapters)
        size += chapter.text.size() + chapter.title.size() * 2 + 16;
    out.reserve(size + book.title.size() + 16);
    out += book.title + kCrLf;
    if (!book.author.isEmpty())
        out += QStringLiteral("作者：") + book.author + kCrLf;
    out += kCrLf + QStringLiteral("目录") + kCrLf;
    for (const BookChapter &chapter : book.chapters)
        out += chapter.title + kCrLf;
    for (const BookChapter &chapter : book.chapters) {
        out += kCrLf + kCrLf + chapter.title + kCrLf + kCrLf;
        QString body = chapter.text;
        out += body.replace(QLatin1Char('\n'), kCrLf) + kCrLf;
    }
    return out;
}

bool writeBook(const Book &book, const QString &path, QString *error) {
    return common::writeTextFile(path + QStringLiteral(".txt"), bookText(book),
                                 common::FileEncoding::Gb18030, error) &&
           writeEpub(book, path + QStringLiteral(".epub"), error);
}

} // namespace serial
