#include "overwritecheck.h"

#include <QDir>
#include <QFileInfo>

namespace saving {

QString existingFileName(const QString &folder, const QString &fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    // A name without an extension is compared with every file ("*." would find none of them).
    const QStringList files = QDir(folder).entryList(
        suffix.isEmpty() ? QStringList() : QStringList{QStringLiteral("*.") + suffix}, QDir::Files);
    const QString wanted = fileName.toLower();
    for (const QString &file : files) {
        if (file.toLower() == wanted)
            return file;
    }
    return QString();
}

} // namespace saving
