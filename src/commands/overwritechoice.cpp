#include "overwritechoice.h"

#include "saving/filenaming.h"
#include "saving/overwritecheck.h"

namespace commands {

using Answer = Dialogs::OverwriteAnswer;

QString numberedFileName(const QString &folder, const QString &name, const QString &extension) {
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral("No") + QString::number(n);
        const QString candidate =
            saving::fitFileName(name, suffix + extension) + suffix + extension;
        if (saving::existingFileName(folder, candidate).isEmpty())
            return candidate;
    }
}

QString OverwriteChoice::fileNameFor(const QString &name, const QString &extension) {
    const QString fileName = saving::fitFileName(name, extension) + extension;
    const QString existing = saving::existingFileName(m_folder, fileName);
    if (existing.isEmpty())
        return fileName;
    if (m_standing == Standing::OverwriteAll)
        return existing;
    if (m_standing == Standing::SkipAll)
        return QString();
    switch (m_dialogs.askOverwrite(existing)) {
    case Answer::OverwriteAll:
        m_standing = Standing::OverwriteAll;
        return existing;
    case Answer::Overwrite:
        return existing;
    case Answer::SkipAll:
        m_standing = Standing::SkipAll;
        return QString();
    case Answer::Skip:
        return QString();
    case Answer::Numbered:
        return numberedFileName(m_folder, name, extension);
    }
    return QString();
}

} // namespace commands
