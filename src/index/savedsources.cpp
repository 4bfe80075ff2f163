#include "savedsources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fulltext {

QString savedSourceKey(const QString &path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QHash<QString, SavedSource> readSavedSources(const QString &seenPath) {
    QHash<QString, SavedSource> sources;
    QFile file(seenPath);
    if (!file.open(QIODevice::ReadOnly))
        return sources;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 5 || fields[0] != "S" || fields[4].isEmpty())
            continue;
        bool ok = false;
        const qint64 time = fields[1].toLongLong(&ok);
        if (!ok || time < 0)
            continue;
        const QString folder = QString::fromUtf8(fields[3]);
        const QString path = QDir(folder).filePath(QString::fromUtf8(fields[4]));
        sources.insert(savedSourceKey(path), {QString::fromUtf8(fields[2]), time});
    }
    return sources;
}

} // namespace fulltext
