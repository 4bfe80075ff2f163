#pragma once

#include <QString>

class QFileDevice;

namespace common {

// Why an operation on a file failed, in Chinese, judged from the file's error state and what
// is on disk at `path`. Example: writing into a folder that does not exist gives
// "所在的文件夹不存在". Qt's own errorString() is the C library's English text.
QString fileErrorReason(const QFileDevice &file, const QString &path);

// Whether the disk that holds `path` (a file or folder, which need not exist) has less than
// 1 MB left: a database that writes whole pages or blocks fails there as on a full disk,
// whatever error it gives.
bool diskNearlyFull(const QString &path);

// Moves a damaged file or folder out of the way, to "<path>.broken-<time>" (to the
// millisecond), so that it can be made anew and the old one still looked at. Gives the new
// name, or an empty string when it could not be moved.
QString moveAsideBroken(const QString &path);

} // namespace common
