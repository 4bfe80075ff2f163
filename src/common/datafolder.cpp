#include "datafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace common {

namespace {

enum class SeedRule {
    KeepUsers,     // copied only when the data folder lacks it
    FollowShipped, // replaced whenever the shipped copy differs
};

struct ShippedFile {
    const char *path; // under both folders
    SeedRule rule;
};

constexpr ShippedFile kShippedFiles[] = {
    {"link.htm", SeedRule::KeepUsers},
    {"savetemplate/savetext.htm", SeedRule::KeepUsers},
    {"help.html", SeedRule::FollowShipped},
    {"Lumaro浏览器的来历.htm", SeedRule::FollowShipped},
};

// The folder named by the first line of the `portable` file; the executable's folder when the
// file is empty.
QString portableDataFolder(const QString &executableFolder, const QString &marker) {
    QFile file(marker);
    if (!file.open(QIODevice::ReadOnly))
        return executableFolder;
    const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
    return line.isEmpty() ? executableFolder
                          : QDir::cleanPath(QDir(executableFolder).absoluteFilePath(line));
}

QString shippedFolder(const QString &executableFolder) {
    const QDir beside(executableFolder);
    if (beside.exists(QStringLiteral("link.htm")))
        return QDir::cleanPath(executableFolder);
    return QDir::cleanPath(beside.filePath(QStringLiteral("../share/lumaro")));
}

// Writes `bytes` in place of `path`, whole or not at all.
bool writeBytes(const QString &path, const QByteArray &bytes, QString *error) {
    QSaveFile file(path);
    // A failed flush still lets commit() report success and leaves an empty file behind.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString seedFile(const QDir &shipped, const QDir &data, const ShippedFile &entry) {
    const QString name = QString::fromUtf8(entry.path);
    const QString target = data.filePath(name);
    const bool present = QFileInfo::exists(target);
    if (present && entry.rule == SeedRule::KeepUsers)
        return {};
    QFile source(shipped.filePath(name));
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取随程序安装的文件 %1：%2")
            .arg(source.fileName(), source.errorString());
    const QByteArray bytes = source.readAll();
    if (present) {
        QFile current(target);
        if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes)
            return {};
    }
    QString error;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !writeBytes(target, bytes, &error))
        return QStringLiteral("无法写入 %1：%2").arg(target, error);
    return {};
}

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

// Creates `path` open to its owner only (its parents as the umask says); with `closeExisting`,
// a folder that was there already is closed to others too.
bool makePrivateFolder(const QString &path, bool closeExisting) {
    const QFileInfo info(path);
    if (info.isDir())
        return !closeExisting || (info.permissions() & ~kOwnerOnly) == 0 ||
               QFile::setPermissions(path, kOwnerOnly);
    return QDir().mkpath(info.absolutePath()) && QDir().mkdir(path, kOwnerOnly);
}

} // namespace

FolderLayout decideFolderLayout(const FolderLayoutInput &input) {
    FolderLayout layout;
    const QString executableFolder = QDir::cleanPath(input.executableFolder);
    layout.shipped = shippedFolder(executableFolder);
    const QString marker = QDir(executableFolder).filePath(QStringLiteral("portable"));
    if (!input.dataDirOption.isEmpty()) {
        layout.data =
            QDir::cleanPath(QDir(input.workingFolder).absoluteFilePath(input.dataDirOption));
        layout.defaultSaveFolder = layout.data;
    } else if (QFileInfo::exists(marker)) {
        layout.portable = true;
        layout.data = portableDataFolder(executableFolder, marker);
        layout.defaultSaveFolder = layout.data;
    } else {
        layout.data = QDir::cleanPath(input.appDataLocation);
        layout.defaultSaveFolder = QDir::cleanPath(input.documentsLocation);
        layout.cacheFolder = QDir::cleanPath(input.cacheLocation);
    }
    return layout;
}

QStringList prepareDataFolder(const FolderLayout &layout) {
    const QString cannotCreate = QStringLiteral("无法创建文件夹 %1");
    if (!makePrivateFolder(layout.data, layout.installed()))
        return {cannotCreate.arg(layout.data)};
    QStringList problems;
    if (layout.installed() && !makePrivateFolder(layout.cacheFolder, true))
        problems.append(cannotCreate.arg(layout.cacheFolder));
    const QDir data(layout.data);
    for (const QString &folder :
         {data.filePath(QStringLiteral("inputtemplate")), data.filePath(QStringLiteral("group")),
          layout.defaultSaveFolder}) {
        if (!folder.isEmpty() && !QDir().mkpath(folder))
            problems.append(cannotCreate.arg(folder));
    }
    if (QFileInfo(layout.shipped) == QFileInfo(layout.data))
        return problems;
    for (const ShippedFile &entry : kShippedFiles) {
        const QString problem = seedFile(QDir(layout.shipped), data, entry);
        if (!problem.isEmpty())
            problems.append(problem);
    }
    return problems;
}

} // namespace common
