#include "rendererlimit.h"

#include <QThread>

#include <algorithm>

namespace shell {

int rendererProcessLimit(int cores) {
    return std::max(16, 8 * cores);
}

QByteArray withRendererProcessLimit(const QByteArray &chromiumFlags, int cores) {
    const QByteArray flag = "--renderer-process-limit";
    for (const QByteArray &given : chromiumFlags.split(' ')) {
        if (given == flag || given.startsWith(flag + '='))
            return chromiumFlags;
    }
    return (chromiumFlags + ' ' + flag + '=' + QByteArray::number(rendererProcessLimit(cores)))
        .trimmed();
}

void limitRendererProcesses() {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            withRendererProcessLimit(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
                                     QThread::idealThreadCount()));
}

} // namespace shell
