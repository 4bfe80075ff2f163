#pragma once

#include "commands/statuspanels.h"

#include "commands/batchprogress.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;

namespace shell {

class DownloadQueue;
class LoadQueue;

// The batch in the status bar: a bar, its line of counts and a 停止 button (Esc too), shown
// only while a batch runs; its room in the status bar stays the same when it is hidden. Batch saves
// drive it through BatchProgress; the opening of many links is followed from the load queue, and
// its last line goes to `s2`.
class BatchProgressBar : public QWidget, public commands::BatchProgress {
    Q_OBJECT
public:
    // `setPanel` writes a status panel ("s2").
    BatchProgressBar(QWidget *window,
                     std::function<void(commands::Panel, const QString &)> setPanel);

    void begin(int total) override;
    void advance(int done, const QString &line) override;
    bool stopRequested() override;
    void end() override;

    // Follows the batches of `queue`: "已打开 37/100，正在载入 6，等待 57" while it loads.
    void follow(LoadQueue &queue);
    // Follows the file downloads of `queue`: "已下载 3/10，正在下载 3，等待 4".
    void followDownloads(DownloadQueue &queue);
    // What the user asked: stops the batch that runs.
    void stop();

signals:
    // 停止 during a batch save: the command's wait for a page ends now.
    void saveStopAsked();

private:
    void showLoading(int finished, int asked, int loading, int waiting);
    void showDownloading(int finished, int asked, int running, int waiting);
    struct QueueLines {
        QString progress; // finished, asked, busy, waiting
        QString done;     // finished
        QString stopped;  // finished, how many were left, their addresses
    };
    // The counts of a queue's batch in the bar, or its last line in s2 when it is over.
    void showQueue(int finished, int asked, int busy, int waiting, const QueueLines &lines,
                   QStringList &notDone);
    bool queuesIdle() const;

    QProgressBar *m_bar;
    QLabel *m_line;
    QPushButton *m_stopButton;
    QShortcut *m_escape;
    std::function<void(commands::Panel, const QString &)> m_setPanel;
    LoadQueue *m_queue = nullptr;
    DownloadQueue *m_downloads = nullptr;
    bool m_saving = false;        // a batch save runs
    bool m_stopRequested = false; // for the batch save
    QStringList m_notOpened;      // addresses the stopped loading batch left
    QStringList m_notDownloaded;  // files the stopped download batch left
};

} // namespace shell
