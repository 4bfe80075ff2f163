#include "fileerror.h"

#include <QDateTime>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>

namespace common {

QString fileErrorReason(const QFileDevice &file, const QString &path) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (file.error() == QFileDevice::NoError)
        return QString();
    if (info.isDir())
        return QStringLiteral("这是一个文件夹，不是文件");
    switch (file.error()) {
    case QFileDevice::ReadError:
        return QStringLiteral("读取失败");
    case QFileDevice::WriteError:
        return QStringLiteral("写入失败（磁盘可能已满）");
    case QFileDevice::ResourceError:
        return QStringLiteral("磁盘空间或系统资源不足");
    case QFileDevice::RemoveError:
        if (!info.exists())
            return QStringLiteral("文件不存在");
        return QStringLiteral("没有删除权限");
    default:
        break;
    }
    if (!folder.exists())
        return QStringLiteral("所在的文件夹不存在");
    if (info.exists() && !(info.isReadable() && info.isWritable()))
        return QStringLiteral("没有访问权限");
    if (!info.exists() && !folder.isWritable())
        return QStringLiteral("没有在这个文件夹里写入的权限");
    if (file.error() == QFileDevice::OpenError && !info.exists())
        return QStringLiteral("文件不存在");
    return QStringLiteral("无法打开文件");
}

bool diskNearlyFull(const QString &path) {
    const QStorageInfo disk(QFileInfo(path).absolutePath());
    return disk.isValid() && disk.bytesAvailable() < 1024 * 1024;
}

QString moveAsideBroken(const QString &path) {
    const QString clean = QDir::cleanPath(path);
    const QString aside =
        clean + QStringLiteral(".broken-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    return QDir().rename(clean, aside) ? aside : QString();
}

} // namespace common
