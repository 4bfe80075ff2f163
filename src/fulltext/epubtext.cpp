#include "extractedtext.h"

#include "saveddocument.h"

#include <QHash>
#include <QStringList>

#include <QXmlStreamReader>
#include <optional>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace fulltext {

namespace {

// One entry of the book, or nothing when it is missing or larger than `limit`.
std::optional<QByteArray> readEntry(QuaZip &zip, const QString &name, qint64 limit) {
    if (!zip.setCurrentFile(name))
        return std::nullopt;
    QuaZipFile entry(&zip);
    if (!entry.open(QIODevice::ReadOnly) || entry.usize() > limit)
        return std::nullopt;
    QByteArray bytes = entry.read(limit + 1);
    if (bytes.size() > limit)
        return std::nullopt;
    return bytes;
}

// The package document's path, from META-INF/container.xml.
QString packagePath(const QByteArray &container) {
    QXmlStreamReader xml(container);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == u"rootfile")
            return xml.attributes().value(QLatin1StringView("full-path")).toString();
        if (xml.hasError())
            break;
    }
    return QString();
}

struct Package {
    QString title;
    QStringList chapters; // entry names, in reading order
};

Package readPackage(const QByteArray &opf, const QString &folder) {
    Package package;
    QHash<QString, QString> manifest; // id → entry name
    QStringList spine;
    QXmlStreamReader xml(opf);
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == u"title" && package.title.isEmpty()) {
            package.title = xml.readElementText().simplified();
        } else if (name == u"item") {
            const QString href = xml.attributes().value(QLatin1StringView("href")).toString();
            manifest.insert(xml.attributes().value(QLatin1StringView("id")).toString(),
                            folder.isEmpty() ? href : folder + u'/' + href);
        } else if (name == u"itemref") {
            spine.append(xml.attributes().value(QLatin1StringView("idref")).toString());
        }
    }
    for (const QString &id : spine) {
        const QString entry = manifest.value(id);
        if (!entry.isEmpty() && !package.chapters.contains(entry))
            package.chapters.append(entry);
    }
    return package;
}

} // namespace

ExtractedText readEpubText(const QString &path) {
    ExtractedText text;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return text;
    const auto container = readEntry(zip, QStringLiteral("META-INF/container.xml"), 1 << 20);
    const QString opfPath = container ? packagePath(*container) : QString();
    const auto opf = opfPath.isEmpty() ? std::nullopt : readEntry(zip, opfPath, 8 << 20);
    if (!opf)
        return text;
    const Package package = readPackage(*opf, opfPath.section(u'/', 0, -2));
    text.ok = true;
    text.title = package.title;
    qint64 left = kMaxExtractedTextBytes;
    QStringList parts;
    for (const QString &chapter : package.chapters) {
        const auto bytes = readEntry(zip, chapter, left);
        if (!bytes)
            continue;
        left -= bytes->size();
        parts.append(htmlBodyText(QString::fromUtf8(*bytes)));
    }
    text.body = parts.join(u'\n');
    return text;
}

} // namespace fulltext
