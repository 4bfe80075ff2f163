#pragma once

#include "saving/downloadrecords.h"

#include <QObject>
#include <QTimer>

namespace shell {

// The downloads of this run and earlier ones, kept in a file of the data folder: a download
// is added when it starts and updated as it goes; the file is written at most once a second
// while things change, and when the program ends.
class DownloadList : public QObject {
    Q_OBJECT
public:
    DownloadList(const QString &filePath, QObject *parent = nullptr);
    ~DownloadList() override;

    const QList<saving::DownloadRecord> &records() const { return m_records; }
    // A download started; returns its id (its place among all downloads ever added here).
    int add(const QUrl &url, const QString &path, qint64 bytes);
    void setReceived(int id, qint64 bytes);
    void finish(int id, bool ok, const QString &error);
    // The record of an id, and its row now; -1 when it was removed.
    int rowOf(int id) const;
    void removeRow(int row);

signals:
    void added(int row);
    void changed(int row);
    void removed(int row);

private:
    void writeSoon();
    void write();

    QString m_filePath;
    QList<saving::DownloadRecord> m_records;
    QList<int> m_ids; // parallel to m_records
    int m_nextId = 0;
    QTimer m_writeTimer;
};

} // namespace shell
