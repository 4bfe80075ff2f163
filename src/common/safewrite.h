#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Replacing a file so that it is either the old file or the whole new one, and a failure is
// never reported as success. The bytes go unbuffered into a temporary file beside the target,
// each write is checked, the data is synced to the disk and its size checked before the
// temporary file takes the target's name, and the target's size is checked again afterwards.
namespace common {

// Replaces `path` with `bytes`. On failure the old file (or no file) stays, `error` receives
// the reason in Chinese (see writeFailureReason) and false is returned.
// Example: replaceFileBytes("/data/link.htm", bytes, &error) on a full disk gives false,
// error == "磁盘已满", and link.htm as it was.
bool replaceFileBytes(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Adds the bytes `addition` makes from the file's present content at the end of `path`
// (created when missing), by writing old and new content to a new file that replaces the old
// one: a failed append leaves the file as it was, never with a cut record. A file that exists
// but cannot be read is left alone (false).
// Example: appendFileBytes(p, [](const QByteArray &) { return QByteArray("a\r\n"); }).
bool appendFileBytes(const QString &path,
                     const std::function<QByteArray(const QByteArray &existing)> &addition,
                     QString *error = nullptr);

// The reason a file operation failed with the system error `errnoValue`, in Chinese:
// ENOSPC gives "磁盘已满", EACCES "没有写入权限", ENOENT "文件夹不存在", ENAMETOOLONG
// "文件名太长", EROFS "只读文件系统"; an error without a Chinese name gives "写入失败" and the
// system's text.
QString writeFailureReason(int errnoValue);

} // namespace common
