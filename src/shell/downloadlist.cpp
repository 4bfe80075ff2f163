#include "downloadlist.h"

#include "browser/browserview.h"
#include "common/safewrite.h"

#include <QFile>

namespace shell {

using saving::DownloadRecord;

DownloadList::DownloadList(const QString &filePath, QObject *parent)
    : QObject(parent), m_filePath(filePath) {
    QFile file(filePath);
    if (file.open(QIODevice::ReadOnly))
        m_records = saving::readDownloadRecords(file.read(4 * 1024 * 1024));
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        m_ids.append(m_nextId++);
        m_live.append(nullptr);
        m_progress.append(Progress());
    }
    m_clock.start();
    m_writeTimer.setSingleShot(true);
    m_writeTimer.setInterval(1000);
    connect(&m_writeTimer, &QTimer::timeout, this, &DownloadList::write);
}

DownloadList::~DownloadList() {
    if (m_writeTimer.isActive())
        write();
}

int DownloadList::add(const QUrl &url, const QString &path, qint64 bytes, browser::Download *live) {
    DownloadRecord record;
    record.url = url;
    record.path = path;
    record.bytes = bytes;
    record.time = QDateTime::currentDateTime();
    m_records.append(record);
    m_ids.append(m_nextId);
    m_live.append(live);
    m_progress.append(Progress());
    watch(m_nextId, live);
    if (m_records.size() > saving::kMaxDownloadRecords) {
        m_live[0] = nullptr; // the oldest record leaves the list, not its download
        removeRow(0);
    }
    emit added(int(m_records.size()) - 1);
    writeSoon();
    return m_nextId++;
}

int DownloadList::rowOf(int id) const {
    return int(m_ids.indexOf(id));
}

void DownloadList::setProgress(int id, qint64 received, qint64 total) {
    const int row = rowOf(id);
    if (row < 0)
        return;
    Progress &progress = m_progress[row];
    progress.received = received;
    progress.total = total;
    progress.rate.add(m_clock.elapsed(), received);
    m_records[row].bytes = total > 0 ? total : received;
    emit changed(row); // the file follows when the download ends
}

void DownloadList::finish(int id, bool ok, const QString &error) {
    const int row = rowOf(id);
    if (row < 0)
        return;
    m_records[row].state = ok ? DownloadRecord::State::Done : DownloadRecord::State::Failed;
    m_records[row].error = error;
    emit changed(row);
    writeSoon();
}

void DownloadList::setRunning(int id, browser::Download *live) {
    const int row = rowOf(id);
    if (row < 0)
        return;
    m_records[row].state = DownloadRecord::State::Running;
    m_records[row].error.clear();
    m_progress[row].rate.restart();
    if (live) {
        m_live[row] = live;
        watch(id, live);
    }
    emit changed(row);
    writeSoon();
}

bool DownloadList::follows(int id, const browser::Download *download) const {
    const int row = rowOf(id);
    return row < 0 || m_live[row] == download;
}

void DownloadList::watch(int id, browser::Download *live) {
    if (!live)
        return;
    connect(live, &browser::Download::pausedChanged, this, [this, id] {
        const int row = rowOf(id);
        if (row < 0)
            return;
        m_progress[row].rate.restart();
        emit changed(row);
    });
}

bool DownloadList::isLive(int row) const {
    return row >= 0 && row < m_live.size() && m_live[row] &&
           m_records[row].state == DownloadRecord::State::Running;
}

bool DownloadList::canResume(int row) const {
    return row >= 0 && row < m_live.size() && m_live[row] &&
           (m_live[row]->canResume() || m_live[row]->isPaused());
}

bool DownloadList::isPaused(int row) const {
    return isLive(row) && m_live[row]->isPaused();
}

void DownloadList::resume(int row) {
    if (canResume(row))
        m_live[row]->resume();
}

void DownloadList::pause(int row) {
    if (isLive(row) && !m_live[row]->isPaused())
        m_live[row]->pause();
}

void DownloadList::cancel(int row) {
    if (row >= 0 && row < m_live.size() && m_live[row] &&
        m_records[row].state != DownloadRecord::State::Done)
        m_live[row]->cancel();
}

void DownloadList::clearFinished() {
    for (int row = int(m_records.size()) - 1; row >= 0; --row) {
        if (m_records[row].state == DownloadRecord::State::Done)
            removeRow(row);
    }
}

QString DownloadList::progressText(int row) const {
    if (!isLive(row))
        return {};
    const Progress &progress = m_progress[row];
    if (progress.received == 0 && !m_live[row]->isPaused())
        return {}; // nothing has come yet: "下载中"
    if (m_live[row]->isPaused())
        return QStringLiteral("已暂停：") +
               saving::progressText(progress.received, progress.total, 0);
    return saving::progressText(progress.received, progress.total, progress.rate.bytesPerSecond());
}

void DownloadList::removeRow(int row) {
    if (row < 0 || row >= m_records.size())
        return;
    const QPointer<browser::Download> live = m_live.takeAt(row);
    m_records.removeAt(row);
    m_ids.removeAt(row);
    m_progress.removeAt(row);
    if (live)
        live->cancel(); // its end finds no row

    emit removed(row);
    writeSoon();
}

void DownloadList::writeSoon() {
    if (!m_writeTimer.isActive())
        m_writeTimer.start();
}

// A list that cannot be written is tried again at the next change; downloads themselves are
// never held up by it.
void DownloadList::write() {
    common::replaceFileBytes(m_filePath, saving::writeDownloadRecords(m_records));
}

} // namespace shell
