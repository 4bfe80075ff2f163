#include "chapterfiles.h"

#include "saving/filenaming.h"

namespace serial {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString flatTitle(const QString &title) {
    QString flat = title;
    for (QChar &c : flat) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return flat.simplified();
}

QString cleanedTitle(const QString &title) {
    // Tabs and other control characters have no place in a file name either.
    QString plain;
    for (const QChar c : title)
        plain.append(c.category() == QChar::Other_Control ? QChar(QLatin1Char(' ')) : c);
    return saving::correctNameHaveSpace(plain).simplified();
}

} // namespace

QString seriesFolderName(const QString &title) {
    const QString name = saving::fitFileName(cleanedTitle(title), QString(), 200).trimmed();
    return name.isEmpty() ? QStringLiteral("连续保存") : name;
}

QString chapterFileName(int number, const QString &title, const QString &extension) {
    const QString prefix = QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    const QString name = cleanedTitle(title);
    if (name.isEmpty())
        return prefix + extension;
    return saving::fitFileName(prefix + QLatin1Char(' ') + name, extension).trimmed() + extension;
}

int chapterNumberOf(const QString &fileName) {
    qsizetype digits = 0;
    while (digits < fileName.size() && fileName.at(digits).isDigit() &&
           fileName.at(digits).unicode() < 128)
        ++digits;
    if (digits == 0 || digits > 9)
        return 0;
    if (digits < fileName.size() && fileName.at(digits) != QLatin1Char(' ') &&
        fileName.at(digits) != QLatin1Char('.'))
        return 0;
    return fileName.left(digits).toInt();
}

QString formatIndex(const QList<IndexEntry> &entries) {
    QString text;
    for (const IndexEntry &entry : entries) {
        text += QString::number(entry.number) + QLatin1Char('\t') + flatTitle(entry.title) +
                QLatin1Char('\t') + entry.address.toString(QUrl::FullyEncoded) + QLatin1Char('\t') +
                entry.time.toString(kTimeFormat) + QStringLiteral("\r\n");
    }
    return text;
}

QList<IndexEntry> parseIndex(QStringView text) {
    QList<IndexEntry> entries;
    QString all = text.toString();
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString &line : all.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3)
            continue;
        IndexEntry entry;
        bool ok = false;
        entry.number = fields.at(0).trimmed().toInt(&ok);
        if (!ok || entry.number <= 0)
            continue;
        entry.title = fields.at(1);
        entry.address = QUrl(fields.at(2).trimmed());
        if (fields.size() > 3)
            entry.time = QDateTime::fromString(fields.at(3).trimmed(), kTimeFormat);
        entries.append(entry);
    }
    return entries;
}

} // namespace serial
