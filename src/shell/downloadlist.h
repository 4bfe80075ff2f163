#pragma once

#include "saving/downloadrecords.h"
#include "saving/transferrate.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace browser {
class Download;
}

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
    // `live` is the running download of this run, for 继续 and for taking a row off the list.
    int add(const QUrl &url, const QString &path, qint64 bytes, browser::Download *live = nullptr);
    // How far a running download has come (`total` -1 when the server does not say).
    void setProgress(int id, qint64 received, qint64 total);
    void finish(int id, bool ok, const QString &error);
    // The download of an id goes on (resumed, or asked for again by the engine as `live`).
    void setRunning(int id, browser::Download *live = nullptr);
    // The record of an id, and its row now; -1 when it was removed.
    int rowOf(int id) const;
    // A running download taken off the list is cancelled; the file stays.
    void removeRow(int row);
    // Whether the download of a row stopped before its end, or was paused, and can go on.
    bool canResume(int row) const;
    // Whether the row's download runs in this run (and so can be paused or cancelled).
    bool isLive(int row) const;
    bool isPaused(int row) const;
    void pause(int row);
    // Cancels the row's download (running, paused or interrupted); the row stays, "已取消".
    void cancel(int row);
    // Takes the finished downloads off the list (their files stay).
    void clearFinished();
    // A running row's progress: "45%，1.2 MB/秒，还剩 12 秒", "已暂停：45%"; empty for others.
    QString progressText(int row) const;
    // Whether `download` is the one the row of `id` follows now (the engine's retry of an
    // interrupted download takes the row over).
    bool follows(int id, const browser::Download *download) const;
    void resume(int row);

signals:
    void added(int row);
    void changed(int row);
    void removed(int row);

private:
    // Follows `live`'s pauses in the row of `id`.
    void watch(int id, browser::Download *live);
    void writeSoon();
    void write();

    QString m_filePath;
    QList<saving::DownloadRecord> m_records;
    QList<int> m_ids;                          // parallel to m_records
    QList<QPointer<browser::Download>> m_live; // parallel too: this run's downloads
    struct Progress {
        qint64 received = 0;
        qint64 total = -1;
        saving::TransferRate rate;
    };
    QList<Progress> m_progress; // parallel too, not kept in the file
    QElapsedTimer m_clock;
    int m_nextId = 0;
    QTimer m_writeTimer;
};

} // namespace shell
