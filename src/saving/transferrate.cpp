#include "transferrate.h"

#include <cmath>

namespace saving {

namespace {

constexpr qint64 kSampleMs = 1000; // samples closer than this are merged
constexpr double kWeight = 0.3;    // the newest second's share of the speed

} // namespace

void TransferRate::add(qint64 msecs, qint64 bytes) {
    if (m_lastMs < 0 || bytes < m_lastBytes) {
        m_lastMs = msecs;
        m_lastBytes = bytes;
        return;
    }
    const qint64 elapsed = msecs - m_lastMs;
    if (elapsed < kSampleMs)
        return;
    const double now = double(bytes - m_lastBytes) * 1000.0 / double(elapsed);
    m_rate = m_rate > 0 ? kWeight * now + (1 - kWeight) * m_rate : now;
    m_lastMs = msecs;
    m_lastBytes = bytes;
}

QString sizeText(qint64 bytes) {
    if (bytes < 0)
        return QStringLiteral("大小不明");
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString durationText(qint64 seconds) {
    if (seconds < 60)
        return QStringLiteral("%1 秒").arg(qMax<qint64>(seconds, 0));
    if (seconds < 3600)
        return seconds % 60 ? QStringLiteral("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60)
                            : QStringLiteral("%1 分").arg(seconds / 60);
    return QStringLiteral("%1 小时 %2 分").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString progressText(qint64 received, qint64 total, double bytesPerSecond) {
    QString text = total > 0 ? QStringLiteral("%1%").arg(qMin<qint64>(received * 100 / total, 100))
                             : sizeText(received);
    if (bytesPerSecond < 1)
        return text;
    text += QStringLiteral("，%1/秒").arg(sizeText(qint64(bytesPerSecond)));
    if (total > 0 && received < total)
        text +=
            QStringLiteral("，还剩 %1")
                .arg(durationText(qint64(std::ceil(double(total - received) / bytesPerSecond))));
    return text;
}

} // namespace saving
