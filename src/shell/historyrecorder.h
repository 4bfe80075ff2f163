#pragma once

#include <QHash>
#include <QObject>
#include <QUrl>

namespace browser {
class BrowserView;
}
namespace history {
class HistoryService;
}

namespace shell {

class TabManager;

// Writes every page the tabs load into the history: web pages and files, never the program's
// own pages, the favourites page, or a load that failed. A tab that loads the same address
// again within half an hour (a reload, a page let go of and brought back) makes no new visit;
// a title that comes later is written to the page.
class HistoryRecorder : public QObject {
    Q_OBJECT
public:
    HistoryRecorder(TabManager &tabs, history::HistoryService &history, QUrl favourites,
                    QObject *parent = nullptr);

    // Whether a load of `url` is a visit the history keeps.
    static bool isRecorded(const QUrl &url, const QUrl &favourites);

private:
    void loaded(browser::BrowserView *view, bool ok);
    void titleChanged(browser::BrowserView *view);

    struct LastVisit {
        QUrl url;
        qint64 time = 0;
    };
    history::HistoryService &m_history;
    QUrl m_favourites;
    QHash<browser::BrowserView *, LastVisit> m_last;
};

} // namespace shell
