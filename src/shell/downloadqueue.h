#pragma once

#include "common/turnqueue.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

namespace browser {
class BrowserView;
}

namespace shell {

// Downloads many files a few at a time: the rest wait their turn, in the order asked for.
// A file gives up its place when its download ends (done, failed or refused), or after a
// minute in any case (it goes on downloading). Its progress can be followed and its waiting
// files dropped, as with a batch of pages.
class DownloadQueue : public QObject {
    Q_OBJECT
public:
    explicit DownloadQueue(int limit = 3, QObject *parent = nullptr);

    // Asks `view`'s engine for each file in turn.
    void download(browser::BrowserView *view, const QList<QUrl> &urls);
    // A download ended: its place goes to the next file.
    void ended(const QUrl &url);

    int running() const { return m_turns.running(); }
    int waiting() const { return m_turns.waiting(); }
    // The files still waiting are dropped (those downloading go on); their addresses.
    QList<QUrl> stopWaiting();

signals:
    // Where the batch stands: `finished` of `asked` files are over, `running` download now,
    // `waiting` wait their turn. A new batch starts from nothing once all are over.
    void progressChanged(int finished, int asked, int running, int waiting);

private:
    struct Job {
        common::TurnQueue::JobId id;
        QUrl url;
    };
    common::TurnQueue m_turns;
    QList<Job> m_jobs; // waiting or downloading, first asked first
};

} // namespace shell
