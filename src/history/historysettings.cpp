#include "historysettings.h"

#include "historystore.h"

#include "common/safewrite.h"

#include <QFile>

namespace history {

namespace {

// More than anyone keeps out by hand; a longer file is not the program's.
constexpr qsizetype kMaxFileBytes = 1024 * 1024;

} // namespace

HistorySettings::HistorySettings(QString path) : m_path(std::move(path)) {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line == u"record=0")
            m_recording = false;
        else if (line.startsWith(u"exclude=")) {
            const QString host = line.mid(8).trimmed().toLower();
            if (!host.isEmpty() && !host.contains(u' ') && !m_excluded.contains(host))
                m_excluded.append(host);
        }
    }
}

bool HistorySettings::write(QString *error) const {
    QByteArray bytes = m_recording ? "record=1\n" : "record=0\n";
    for (const QString &host : m_excluded)
        bytes += "exclude=" + host.toUtf8() + '\n';
    return common::replaceFileBytes(m_path, bytes, error);
}

bool HistorySettings::setRecording(bool on, QString *error) {
    m_recording = on;
    return write(error);
}

bool HistorySettings::exclude(const QString &host, QString *error) {
    const QString lower = host.toLower();
    if (lower.isEmpty() || m_excluded.contains(lower))
        return true;
    m_excluded.append(lower);
    return write(error);
}

bool HistorySettings::isExcluded(const QString &host) const {
    const QString lower = host.toLower();
    for (const QString &out : m_excluded) {
        if (lower == out || lower.endsWith(u'.' + out))
            return true;
    }
    return false;
}

bool HistorySettings::records(const QString &address) const {
    return m_recording && !isExcluded(hostOf(address));
}

} // namespace history
