#include "epubwriter.h"

#include "book.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSaveFile>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace serial {

namespace {

// Text for XML: the five special characters escaped, characters XML cannot hold dropped.
QString xmlText(QStringView text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c).append(text.at(++i));
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF || (u < 0x20 && u != '\t' && u != '\n'))
            continue;
        switch (u) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out.append(c);
        }
    }
    return out;
}

QString chapterHref(int index) {
    return QStringLiteral("chapter%1.xhtml").arg(index + 1, 4, 10, QLatin1Char('0'));
}

// A stable identifier: the same series gives the same book identity when made again.
QString bookIdentifier(const Book &book) {
    const QByteArray hash =
        QCryptographicHash::hash((book.title + QLatin1Char('\n') + book.source.toString()).toUtf8(),
                                 QCryptographicHash::Sha1);
    QByteArray hex = hash.toHex().left(32);
    hex[12] = '5';
    hex.insert(20, '-').insert(16, '-').insert(12, '-').insert(8, '-');
    return QStringLiteral("urn:uuid:") + QString::fromLatin1(hex);
}

QString page(const QString &title, const QString &body, const QString &extraNamespace = {}) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
                          "<html xmlns=\"http://www.w3.org/1999/xhtml\"%1 xml:lang=\"zh-CN\" "
                          "lang=\"zh-CN\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>%2</title>\n"
                          "</head>\n<body>\n%3</body>\n</html>\n")
        .arg(extraNamespace, xmlText(title), body);
}

QString chapterPage(const BookChapter &chapter) {
    QString body = QStringLiteral("<h1>") + xmlText(chapter.title) + QStringLiteral("</h1>\n");
    for (const QStringView line : QStringView(chapter.text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed().toString();
        if (!trimmed.isEmpty())
            body += QStringLiteral("<p>") + xmlText(trimmed) + QStringLiteral("</p>\n");
    }
    return page(chapter.title, body);
}

QString navPage(const Book &book) {
    QString list;
    for (int i = 0; i < book.chapters.size(); ++i)
        list += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                    .arg(chapterHref(i), xmlText(book.chapters.at(i).title));
    return page(QStringLiteral("目录"),
                QStringLiteral("<nav epub:type=\"toc\" id=\"toc\">\n<h1>目录</h1>\n<ol>\n") + list +
                    QStringLiteral("</ol>\n</nav>\n"),
                QStringLiteral(" xmlns:epub=\"http://www.idpf.org/2007/ops\""));
}

// The title cut into lines of about `width` characters (a Chinese character is one, a Latin
// letter half), at most `most` lines, the last one ending in "…" when the title is longer.
QStringList coverLines(const QString &title, int width, int most) {
    QStringList lines;
    QString line;
    double used = 0;
    for (const QChar c : title.simplified()) {
        const double cost = c.unicode() < 0x2E80 ? 0.55 : 1;
        if (used + cost > width && !line.isEmpty()) {
            lines.append(line);
            line.clear();
            used = 0;
        }
        line += c;
        used += cost;
    }
    if (!line.isEmpty())
        lines.append(line);
    if (lines.size() > most) {
        lines = lines.mid(0, most);
        lines.last().chop(1);
        lines.last() += QStringLiteral("…");
    }
    return lines;
}

// A cover drawn from the book's title and author: the title large on a colour that follows
// from the title, the author below.
QString coverSvg(const Book &book) {
    const QString title = book.title.isEmpty() ? QStringLiteral("书") : book.title;
    const uint hue = qHash(title) % 360;
    QString text;
    const QStringList lines = coverLines(title, 7, 4);
    int y = 300 - 40 * int(lines.size() - 1);
    for (const QString &line : lines) {
        text += QStringLiteral("<text x=\"300\" y=\"%1\" font-size=\"68\">%2</text>\n")
                    .arg(y)
                    .arg(xmlText(line));
        y += 84;
    }
    if (!book.author.isEmpty())
        text += QStringLiteral("<text x=\"300\" y=\"640\" font-size=\"36\">%1</text>\n")
                    .arg(xmlText(book.author));
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" "
                          "width=\"600\" height=\"800\" viewBox=\"0 0 600 800\">\n"
                          "<rect width=\"600\" height=\"800\" fill=\"hsl(%1,45%,28%)\"/>\n"
                          "<rect x=\"30\" y=\"30\" width=\"540\" height=\"740\" fill=\"none\" "
                          "stroke=\"#f4ecd8\" stroke-width=\"3\"/>\n"
                          "<g fill=\"#f4ecd8\" font-family=\"serif\" text-anchor=\"middle\">\n%2"
                          "</g>\n</svg>\n")
        .arg(hue)
        .arg(text);
}

QString coverPage(const Book &book) {
    return page(book.title.isEmpty() ? QStringLiteral("封面") : book.title,
                QStringLiteral("<div style=\"text-align:center\"><img src=\"cover.svg\" "
                               "alt=\"封面\" style=\"max-width:100%;max-height:100%\"/></div>\n"));
}

QString packageDocument(const Book &book) {
    QString manifest =
        QStringLiteral("<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
                       "properties=\"nav\"/>\n"
                       "<item id=\"cover-image\" href=\"cover.svg\" media-type=\"image/svg+xml\" "
                       "properties=\"cover-image\"/>\n"
                       "<item id=\"cover\" href=\"cover.xhtml\" "
                       "media-type=\"application/xhtml+xml\"/>\n");
    QString spine = QStringLiteral("<itemref idref=\"cover\"/>\n");
    for (int i = 0; i < book.chapters.size(); ++i) {
        const QString id = QStringLiteral("c%1").arg(i + 1);
        manifest +=
            QStringLiteral("<item id=\"%1\" href=\"%2\" media-type=\"application/xhtml+xml\"/>\n")
                .arg(id, chapterHref(i));
        spine += QStringLiteral("<itemref idref=\"%1\"/>\n").arg(id);
    }
    QString source;
    if (!book.source.isEmpty())
        source = QStringLiteral("<dc:source>") + xmlText(book.source.toString(QUrl::FullyEncoded)) +
                 QStringLiteral("</dc:source>\n");
    if (!book.author.isEmpty())
        source += QStringLiteral("<dc:creator>") + xmlText(book.author) +
                  QStringLiteral("</dc:creator>\n");
    const QString modified =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
                          "unique-identifier=\"bookid\" xml:lang=\"zh-CN\">\n"
                          "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                          "<dc:identifier id=\"bookid\">%1</dc:identifier>\n"
                          "<dc:title>%2</dc:title>\n<dc:language>zh-CN</dc:language>\n%3"
                          "<meta property=\"dcterms:modified\">%4</meta>\n"
                          "<meta name=\"cover\" content=\"cover-image\"/>\n</metadata>\n"
                          "<manifest>\n%5</manifest>\n<spine>\n%6</spine>\n</package>\n")
        .arg(bookIdentifier(book),
             xmlText(book.title.isEmpty() ? QStringLiteral("书") : book.title), source, modified,
             manifest, spine);
}

} // namespace

QList<QPair<QString, QByteArray>> epubEntries(const Book &book) {
    QList<QPair<QString, QByteArray>> entries;
    entries.append({QStringLiteral("mimetype"), QByteArrayLiteral("application/epub+zip")});
    entries.append(
        {QStringLiteral("META-INF/container.xml"),
         QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<container version=\"1.0\" "
                           "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
                           "<rootfiles>\n<rootfile full-path=\"OEBPS/content.opf\" "
                           "media-type=\"application/oebps-package+xml\"/>\n</rootfiles>\n"
                           "</container>\n")});
    entries.append({QStringLiteral("OEBPS/content.opf"), packageDocument(book).toUtf8()});
    entries.append({QStringLiteral("OEBPS/nav.xhtml"), navPage(book).toUtf8()});
    for (int i = 0; i < book.chapters.size(); ++i)
        entries.append(
            {QStringLiteral("OEBPS/") + chapterHref(i), chapterPage(book.chapters.at(i)).toUtf8()});
    entries.append({QStringLiteral("OEBPS/cover.svg"), coverSvg(book).toUtf8()});
    entries.append({QStringLiteral("OEBPS/cover.xhtml"), coverPage(book).toUtf8()});
    return entries;
}

bool writeEpub(const Book &book, const QString &path, QString *error) {
    const auto fail = [error, &path](const QString &why) {
        if (error)
            *error = QStringLiteral("无法写入 %1：%2").arg(path, why);
        return false;
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    {
        QuaZip zip(&file);
        zip.setAutoClose(false); // the file is committed below, not closed by the zip
        if (!zip.open(QuaZip::mdCreate))
            return fail(QStringLiteral("zip %1").arg(zip.getZipError()));
        bool first = true;
        for (const auto &[name, data] : epubEntries(book)) {
            QuaZipFile entry(&zip);
            QuaZipNewInfo info(name);
            // The mimetype entry is read by its place and bytes: stored, not deflated.
            const int method = first ? 0 : Z_DEFLATED;
            const int level = first ? 0 : Z_DEFAULT_COMPRESSION;
            first = false;
            if (!entry.open(QIODevice::WriteOnly, info, nullptr, 0, method, level) ||
                entry.write(data) != data.size()) {
                return fail(QStringLiteral("zip %1").arg(entry.getZipError()));
            }
            entry.close();
            if (entry.getZipError() != 0)
                return fail(QStringLiteral("zip %1").arg(entry.getZipError()));
        }
        zip.close();
        if (zip.getZipError() != 0)
            return fail(QStringLiteral("zip %1").arg(zip.getZipError()));
    }
    // QSaveFile may report success after a failed flush: flush and check first.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace serial
