#pragma once

#include <QString>
#include <QtGlobal>

// How a running download is said in the downloads list: its share, its speed and the time left.
namespace saving {

// The speed of a transfer from the amounts received over time, smoothed so that one slow or
// fast second does not swing it.
class TransferRate {
public:
    // `bytes` received in all at `msecs` (any steady clock).
    void add(qint64 msecs, qint64 bytes);
    // Bytes a second; 0 until a second's worth of samples has come.
    double bytesPerSecond() const { return m_rate; }
    // After a pause or an interruption: the next samples start afresh.
    void restart() { m_lastMs = -1; }

private:
    qint64 m_lastMs = -1;
    qint64 m_lastBytes = 0;
    double m_rate = 0;
};

// "12 字节", "3.5 KB", "1.2 MB"; "大小不明" for a negative size.
QString sizeText(qint64 bytes);
// "12 秒", "3 分 5 秒", "2 小时 1 分".
QString durationText(qint64 seconds);
// "45%，1.2 MB/秒，还剩 12 秒"; without a known total "3.4 MB，1.2 MB/秒"; without a speed yet
// only the amount.
QString progressText(qint64 received, qint64 total, double bytesPerSecond);

} // namespace saving
