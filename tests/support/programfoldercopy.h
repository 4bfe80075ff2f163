#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>

namespace testing_support {

// Copies the staged program folder (LUMARO_PROGRAM_FOLDER) into `to`, so that a test never
// touches the build's own files: the shipped pages and folders, without the executables, the
// build's own bookkeeping, a profile, a session left by a manual run, or the "portable" file
// that points the build's program at the developer's data folder.
inline void copyStagedProgramFolder(const QString &to) {
    const QString from = QStringLiteral(LUMARO_PROGRAM_FOLDER);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = QDir(from).relativeFilePath(source);
        if (relative.startsWith(QLatin1String("CMakeFiles")) ||
            relative.startsWith(QLatin1String("lumaro")) ||
            relative.startsWith(QLatin1String("profile")) ||
            relative.startsWith(QLatin1String("session")) || relative == QLatin1String("portable"))
            continue;
        if (it.fileInfo().isDir())
            QDir().mkpath(QDir(to).filePath(relative));
        else
            QFile::copy(source, QDir(to).filePath(relative));
    }
}

} // namespace testing_support
