#include "privatesocket.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {

bool isPrivateFolder(const QString &path, unsigned uid) {
    if (path.isEmpty())
        return false;
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == uid && (status.st_mode & 077) == 0;
}

QString privateSocketFolder(const QString &runtimeFolder, const QString &tempFolder, unsigned uid) {
    if (isPrivateFolder(runtimeFolder, uid))
        return QDir::cleanPath(runtimeFolder);
    if (tempFolder.isEmpty())
        return {};
    const QString own = QDir(tempFolder).filePath(QStringLiteral("lumaro-%1").arg(uid));
    // Made or found, it is checked afterwards: whoever made a folder of that name first, and
    // however, only a real directory of ours closed to everyone else is used.
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(own, uid) ? own : QString();
}

std::optional<unsigned> peerUid(qintptr socketDescriptor) {
#ifdef SO_PEERCRED
    struct ucred credentials {};
    socklen_t length = sizeof(credentials);
    if (socketDescriptor < 0 ||
        ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return unsigned(credentials.uid);
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (socketDescriptor < 0 || ::getpeereid(int(socketDescriptor), &uid, &gid) != 0)
        return std::nullopt;
    return unsigned(uid);
#endif
}

} // namespace shell
