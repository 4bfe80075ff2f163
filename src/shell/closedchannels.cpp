#include "closedchannels.h"

#include <QByteArrayList>

namespace shell {

QByteArray withClosedChannels(const QByteArray &chromiumFlags) {
    const QList<QByteArray> given = chromiumFlags.split(' ');
    const auto has = [&given](const QByteArray &name) {
        for (const QByteArray &flag : given) {
            if (flag == name || flag.startsWith(name + '='))
                return true;
        }
        return false;
    };
    QByteArray flags = chromiumFlags;
    if (!has("--disable-quic") && !has("--enable-quic"))
        flags += " --disable-quic";
    if (!has("--force-webrtc-ip-handling-policy"))
        flags += " --force-webrtc-ip-handling-policy=disable_non_proxied_udp";
    return flags.trimmed();
}

void closeUnfilteredChannels() {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", withClosedChannels(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
}

} // namespace shell
