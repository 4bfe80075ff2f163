#include "overwritecheck.h"

#include <QDir>
#include <QFileInfo>

namespace saving {

QString existingFileName(const QString &folder, const QString &fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.") + suffix}, QDir::Files);
    const QString wanted = fileName.toLower();
    for (const QString &file : files) {
        if (file.toLower() == wanted)
            return file;
    }
    return QString();
}

} // namespace saving
