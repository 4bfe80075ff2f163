#pragma once

#include <QString>

class QFileDevice;

namespace common {

// Why an operation on a file failed, in Chinese, judged from the file's error state and what
// is on disk at `path`. Example: writing into a folder that does not exist gives
// "所在的文件夹不存在". Qt's own errorString() is the C library's English text.
QString fileErrorReason(const QFileDevice &file, const QString &path);

} // namespace common
