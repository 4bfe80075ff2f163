#pragma once

#include <QString>

#include <optional>

// Where a local socket may live so that only its user can reach it, and who is at the other
// end of one. The single-instance socket carries the addresses a start hands over (with what
// their queries hold): a socket another user could bind first would receive them.
namespace shell {

// True when `path` is a directory itself (not a symbolic link to one) that belongs to `uid`
// and that no group or other user may read, write or enter. Example: a folder made with
// mode 0700 by the user; false for /tmp (everyone writes there) and for a folder of another.
bool isPrivateFolder(const QString &path, unsigned uid);

// The folder for this user's sockets: `runtimeFolder` ($XDG_RUNTIME_DIR) when it is private
// to `uid`; otherwise `<tempFolder>/lumaro-<uid>`, made with mode 0700 when missing and used
// only when it is private too (a folder found there with the wrong owner or mode is refused,
// not repaired: someone else may have put a socket into it meanwhile). Empty when there is
// no such folder: the program then runs without handing starts over.
QString privateSocketFolder(const QString &runtimeFolder, const QString &tempFolder, unsigned uid);

// The user id of the process at the other end of a connected local socket; no value when the
// system does not tell.
std::optional<unsigned> peerUid(qintptr socketDescriptor);

} // namespace shell
