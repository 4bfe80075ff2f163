#include "savedsources.h"

#include "links/seenrecord.h"

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
        const auto read = links::readSeenLine(line);
        if (!read || !read->saved)
            continue;
        const QString path =
            QDir(QString::fromUtf8(read->folder)).filePath(QString::fromUtf8(read->fileName));
        sources.insert(savedSourceKey(path), {QString::fromUtf8(read->address), read->time});
    }
    return sources;
}

} // namespace fulltext
