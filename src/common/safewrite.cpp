#include "safewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace common {

namespace {

bool fail(QString *error, const QString &reason) {
    if (error)
        *error = reason;
    return false;
}

qint64 writeSome(int fd, const char *data, qint64 size) {
#ifdef Q_OS_WIN
    return ::_write(fd, data, unsigned(qMin<qint64>(size, 1 << 30)));
#else
    return ::write(fd, data, size_t(size));
#endif
}

bool syncToDisk(int fd) {
#ifdef Q_OS_WIN
    return ::_commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

qint64 sizeOnDisk(int fd) {
#ifdef Q_OS_WIN
    struct _stat64 info;
    return ::_fstat64(fd, &info) == 0 ? qint64(info.st_size) : -1;
#else
    struct stat info;
    return ::fstat(fd, &info) == 0 ? qint64(info.st_size) : -1;
#endif
}

// Every byte, or the system error that stopped the writing (0 when none was given).
int writeAll(int fd, const QByteArray &bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 written = writeSome(fd, bytes.constData() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return errno != 0 ? errno : EIO;
        done += written;
    }
    return 0;
}

// The folder's entry for the new file reaches the disk too (a crash right after the rename
// could otherwise bring back the old file on some file systems).
void syncFolder(const QString &path) {
#ifndef Q_OS_WIN
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

// Why the new file could not be made: the system error when there is one, else what the
// folder and the name show.
QString openFailureReason(const QString &path, int systemError) {
    if (systemError != 0)
        return writeFailureReason(systemError);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return writeFailureReason(ENOENT);
    if (QFile::encodeName(info.fileName()).size() > 255)
        return writeFailureReason(ENAMETOOLONG);
    if (info.isDir())
        return writeFailureReason(EISDIR);
    return writeFailureReason(EACCES);
}

} // namespace

QString writeFailureReason(int errnoValue) {
    switch (errnoValue) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("磁盘已满");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件夹不存在");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case EROFS:
        return QStringLiteral("只读文件系统");
    case EFBIG:
        return QStringLiteral("文件超过了系统允许的大小");
    case EISDIR:
        return QStringLiteral("同名的文件夹已经存在");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    default:
        return QStringLiteral("写入失败（%1）").arg(qt_error_string(errnoValue));
    }
}

bool replaceFileBytes(const QString &path, const QByteArray &bytes, QString *error) {
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, openFailureReason(path, errno));
    // QSaveFile's own buffered write can fail in its flush and still commit a cut file, so the
    // bytes go straight to its descriptor and each step is checked here.
    const int fd = file.handle();
    int problem = writeAll(fd, bytes);
    if (problem == 0 && !syncToDisk(fd))
        problem = errno != 0 ? errno : EIO;
    if (problem == 0 && sizeOnDisk(fd) != bytes.size())
        problem = EIO;
    if (problem != 0) {
        file.cancelWriting();
        return fail(error, writeFailureReason(problem));
    }
    errno = 0;
    if (!file.commit()) {
        return fail(
            error, errno != 0 ? writeFailureReason(errno)
                              : QStringLiteral("无法替换原来的文件（%1）").arg(file.errorString()));
    }
    syncFolder(path);
    if (QFileInfo(path).size() != bytes.size())
        return fail(error, QStringLiteral("保存后的文件大小不对，文件可能不完整"));
    return true;
}

bool appendFileBytes(const QString &path,
                     const std::function<QByteArray(const QByteArray &existing)> &addition,
                     QString *error) {
    QByteArray existing;
    QFile file(path);
    if (file.exists()) {
        errno = 0;
        const bool opened = file.open(QIODevice::ReadOnly);
        const int openError = errno;
        if (!opened)
            return fail(error, openError == EACCES || openError == EPERM
                                   ? QStringLiteral("没有读取原来文件的权限")
                                   : QStringLiteral("无法读取原来的文件"));
        existing = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fail(error, QStringLiteral("无法读取原来的文件"));
        file.close();
    }
    return replaceFileBytes(path, existing + addition(existing), error);
}

} // namespace common
