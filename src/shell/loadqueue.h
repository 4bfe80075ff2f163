#pragma once

#include "common/turnqueue.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

namespace browser {
class BrowserView;
}

namespace shell {

// Lets only a few pages load at a time when a command opens many tabs at once: the others
// wait their turn and start in the order they were asked for. Six at a time, like a
// browser's connections to one site: a hundred tabs then load in about the time the slowest
// few take, without a hundred renderers fighting for two cores. A page that has not
// finished after 20 seconds gives up its place (it goes on loading).
class LoadQueue : public QObject {
    Q_OBJECT
public:
    explicit LoadQueue(int limit = 6, QObject *parent = nullptr);

    struct Pending {
        QPointer<browser::BrowserView> view;
        QUrl url;
    };

    void navigate(browser::BrowserView *view, const QUrl &url);
    // How many pages may load at once (from the next page asked for on).
    void setLimit(int limit) { m_turns.setLimit(limit); }
    int loading() const { return m_turns.running(); }
    int waiting() const { return m_turns.waiting(); }
    // Of the batch's finished pages, those whose load failed.
    int failed() const { return m_turns.failed(); }
    // Stops the batch: the pages still waiting are not loaded (their tabs stay, empty); they
    // are returned, first asked first. Pages already loading go on.
    QList<Pending> stopWaiting();

signals:
    // The batch since the queue was last idle: `finished` of the `asked` pages have loaded
    // (or given up their place), stopped ones counted in `asked`; `loading` load now,
    // `waiting` wait their turn. The batch is over when both are 0.
    void progressChanged(int finished, int asked, int loading, int waiting);

private:
    void start(common::TurnQueue::JobId job, browser::BrowserView *view, const QUrl &url);

    common::TurnQueue m_turns;
    QHash<common::TurnQueue::JobId, Pending> m_waiting;
};

} // namespace shell
