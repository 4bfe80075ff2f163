#include "programfolder.h"

#include "ansifile.h"
#include "textsearch.h"

#include <QDir>
#include <QFileInfo>

namespace common {

ProgramFolder::ProgramFolder(const QString &path, const QString &defaultSaveFolder)
    : m_path(QDir::cleanPath(path)),
      m_defaultSaveFolder(defaultSaveFolder.isEmpty() ? m_path
                                                      : QDir::cleanPath(defaultSaveFolder)) {}

QString ProgramFolder::filePath(const QString &name) const {
    return QDir(m_path).filePath(name);
}

QString ProgramFolder::readSavePath(QString *problem) const {
    const QString path = filePath(QStringLiteral("savepath.ini"));
    ReadOptions options;
    options.kind = TextKind::Plain;
    options.maxBytes = kMaxSettingsBytes;
    const TextFileContent file = readTextFile(path, options);
    QString why;
    if (!file.ok && QFileInfo::exists(path))
        why = file.error;
    else if (file.ok && (file.undecodable > 0 || file.text.contains(QChar(0))))
        why = QStringLiteral("不是文本文件");
    if (problem)
        *problem = why.isEmpty() ? QString()
                                 : QStringLiteral("无法读取 %1（%2），文件保存到默认文件夹 %3")
                                       .arg(path, why, m_defaultSaveFolder);
    const QString folder = file.ok && why.isEmpty() ? savePathFromSettings(file.text) : QString();
    const QFileInfo named(folder);
    if (!folder.isEmpty() && named.exists() && !named.isDir()) {
        if (problem)
            *problem = QStringLiteral("%1 里的 %2 是一个文件，不是文件夹，文件保存到默认文件夹 %3")
                           .arg(path, folder, m_defaultSaveFolder);
        return m_defaultSaveFolder;
    }
    return folder.isEmpty() ? m_defaultSaveFolder : folder;
}

bool ProgramFolder::writeSavePath(const QString &folder, QString *error) const {
    return writeTextFile(filePath(QStringLiteral("savepath.ini")), folder + QStringLiteral("\r\n"),
                         FileEncoding::Gb18030, error);
}

QStringList ProgramFolder::templateNames() const {
    return namesIn(QStringLiteral("inputtemplate"), QStringLiteral(".ini"));
}

QStringList ProgramFolder::groupNames() const {
    return namesIn(QStringLiteral("group"), QStringLiteral(".txt"));
}

QStringList ProgramFolder::namesIn(const QString &folder, const QString &extension) const {
    const QDir dir(filePath(folder));
    QStringList names;
    const QStringList files = dir.entryList({QStringLiteral("*") + extension}, QDir::Files,
                                            QDir::Name | QDir::IgnoreCase);
    for (const QString &file : files)
        names.append(file.left(file.size() - 4));
    return names;
}

QString savePathFromSettings(const QString &content) {
    QString text = content;
    text.remove(QStringLiteral("\r\n"));
    // Files edited on this system end their lines with LF alone.
    text.remove(u'\n');
    text.remove(u'\r');
    return trimSpaces(text);
}

} // namespace common
