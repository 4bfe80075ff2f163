#pragma once

#include <QDate>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include "fulltext/indexservice.h"
#include "history/historyservice.h"

#include <memory>

namespace browser {
class BrowserView;
}
namespace history {
class HistorySettings;
} // namespace history

namespace shell {

class TabManager;

// Writes every page the tabs load into the history: web pages and files, never the program's
// own pages, the favourites page, or a load that failed. A tab that loads the same address
// again within half an hour (a reload, a page let go of and brought back) makes no new visit;
// a title that comes later is written to the page. The text of a page read goes into the
// full-text index once it has loaded and been shown, once a day per address. Nothing is kept
// while the user has recording off, nor of a site kept out.
class HistoryRecorder : public QObject {
    Q_OBJECT
public:
    HistoryRecorder(TabManager &tabs, history::HistoryService &history,
                    std::shared_ptr<const history::HistorySettings> settings, QUrl favourites,
                    QObject *parent = nullptr);
    ~HistoryRecorder() override;

    // Where the text of pages read goes (none: it is not kept).
    void setIndex(fulltext::IndexService *index) { m_index = index; }

    // Whether a load of `url` is a visit the history keeps.
    static bool isRecorded(const QUrl &url, const QUrl &favourites);

private:
    // What the history lets go of, the index lets go of too.
    void removing(history::HistoryService::Removal what, const QVariant &value);
    void loaded(browser::BrowserView *view, bool ok);
    void titleChanged(browser::BrowserView *view);
    void currentMayHaveChanged();
    void takeText(browser::BrowserView *view, const QUrl &url, int attempt);
    void takeTextSoon(browser::BrowserView *view, const QUrl &url, int delayMs = 0,
                      int attempt = 0);

    struct LastVisit {
        QUrl url;
        qint64 time = 0;
    };
    TabManager &m_tabs;
    history::HistoryService &m_history;
    std::shared_ptr<const history::HistorySettings> m_settings;
    QUrl m_favourites;
    QPointer<fulltext::IndexService> m_index;
    QHash<browser::BrowserView *, LastVisit> m_last;
    // Pages loaded in tabs not shown yet: their text is taken when they are.
    QHash<browser::BrowserView *, QUrl> m_textWaiting;
    QHash<QString, QDate> m_textTaken; // address → the day its text was last taken
};

} // namespace shell
