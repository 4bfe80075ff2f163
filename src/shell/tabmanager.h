#pragma once

#include "commands/statuspanels.h"

#include "browser/browserview.h"
#include "browser/closedtabs.h"
#include "browser/tabhost.h"
#include "browser/tabpolicy.h"
#include "tabopener.h"
#include "tabrecords.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

#include <QStackedWidget>
#include <QTabBar>

class QTimer;

namespace commands {
class Dialogs;
}

namespace shell {

class LoadQueue;
class TabBarHold;
class TabCaptions;
class TabDiskDeletion;
class TabLinks;
class TabPageReports;
class TabStripMenu;

// The tabs and their views: one view per tab, keyed "WebPage" + view number, the tab bar over
// a stack of the views' widgets. The current page is the view of the selected tab, looked up
// through its key; the window's caption, address box and s2 follow it. Tabs are switched,
// marked and closed here (the first tab and view 0 never close). New tabs come from opener()
// (the repeat guard and the throttle), links go where TabLinks sends them; the closed tabs and
// the session's records, what the window is told of the shown page, the captions, the tab
// menu, deleting from disk and holding the bar's layout have classes of their own.
class TabManager : public QObject, public browser::TabHost {
    Q_OBJECT
public:
    TabManager(browser::ViewFactory &factory, commands::Dialogs &dialogs, const QUrl &favouritesUrl,
               QObject *parent = nullptr);
    ~TabManager() override;

    QTabBar *tabBar() const { return m_tabBar; }
    QStackedWidget *stack() const { return m_stack; }

    // How the toolbar's toggles ("new", "openi") are read, and the clock (seconds).
    void setToggleReader(std::function<bool(const QString &)> reader) {
        m_toggle = std::move(reader);
    }
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }
    double now() const { return m_clock(); }
    bool toggle(const QString &key) const { return m_toggle && m_toggle(key); }
    const QUrl &favouritesUrl() const { return m_favouritesUrl; }
    // Who runs the tab menu's entries and a double click's close, one command at a time;
    // without one they run at once.
    using CommandGate = std::function<void(const QString &, std::function<void()>)>;
    void setCommandGate(CommandGate gate) { m_commandGate = std::move(gate); }
    void runCommand(const QString &name, std::function<void()> action) {
        if (m_commandGate)
            m_commandGate(name, std::move(action));
        else
            action();
    }

    // Start-up: view 0 with the tab "WebPage1", shown.
    void createFirstTab();

    browser::BrowserView *currentView() const override;
    int currentViewNumber() const override;
    browser::BrowserView *viewAt(int index) const { return m_views.value(index); }
    // The views of the tabs, first tab first.
    QList<browser::BrowserView *> viewsInTabOrder() const;
    int tabCount() const override;
    QString tabKeyAt(int position) const; // 1-based position
    int viewNumberAt(int position) const override;
    browser::BrowserView *viewAtPosition(int position) const override;
    bool isMarked(int position) const;
    int positionOfView(const browser::BrowserView *view) const; // 0 when it has no tab
    int currentPosition() const { return m_tabBar->currentIndex() + 1; }
    void selectTab(int position) override;
    int positionOfKey(const QString &key) const; // 0 when no tab has it
    // A mouse press on the tab strip, for the switching gate.
    void recordTabPress(bool rightButton, const QString &key);
    TabStripMenu &stripMenu() const { return *m_stripMenu; }
    // Shows a view's tab as if the user had clicked it.
    void bringToFront(browser::BrowserView *view);
    // Ctrl+Tab and the like: counts as the user's own choice of tab, like a left click.
    void switchByKeyboard(int position);

    // New tabs: TabOpener::open and TabOpener::openHarvested, for the commands.
    browser::BrowserView *openInNewTab(const QUrl &url, bool skipThrottle = false,
                                       bool resetRepeatGuard = false) override {
        return m_opener.open(url,
                             {.skipThrottle = skipThrottle, .resetRepeatGuard = resetRepeatGuard});
    }
    browser::BrowserView *openHarvested(const QUrl &url) override {
        return m_opener.openHarvested(url);
    }
    TabOpener &opener() { return m_opener; }
    // Makes a view and its tab after the last one, not selected, and returns the view; no
    // guard is asked (new-tab requests go through opener()).
    browser::BrowserView *addBackgroundTab();
    void reloadView(browser::BrowserView *view) override;
    LoadQueue &loadQueue() { return *m_loadQueue; }

    void closeCurrent();         // deleteThis
    void closeAllUnmarked();     // deleteAll
    void markCurrent();          // tab_tick
    void selectNewestTabLater(); // in 600 ms
    // DeleteFromHard on the shown tab.
    void deleteCurrentFromDisk() { deleteFromDisk(currentPosition()); }
    // The same on the tab at a position (the tab menu's tab). A closed tab whose page has an
    // address is kept for reopening unless `reopen` says Never (its file was deleted).
    enum class Reopen { Keep, Never };
    void closeTab(int position, Reopen reopen = Reopen::Keep);
    void markTab(int position);
    void deleteFromDisk(int position); // see TabDiskDeletion

    // The address a tab is kept by: a tab still waiting for its turn to load, the address it
    // waits for.
    static QUrl addressOf(const browser::BrowserView *view);
    // The tabs as records, and the closed tabs: see TabRecords.
    QList<browser::TabRecord> records() const { return m_records.records(); }
    int openRecords(const QList<browser::TabRecord> &records) { return m_records.open(records); }
    bool reopenClosed() { return m_records.reopenClosed(); }
    browser::ClosedTabs &closedTabs() { return m_records.closed(); }
    // Updates the captions of tabs whose page changed (otherwise done shortly after).
    void refreshCaptions();
    // Lays the tab bar out once at the end of this turn of the event loop, whatever changes
    // come meanwhile (see TabBarHold).
    void holdBarLayout();
    // Whether the page at an address is saved in the save folder; its tab then shows "[存]".
    void setSavedCheck(std::function<bool(const QUrl &)> check);
    // Something every caption depends on changed (a page saved, another save folder).
    void captionsChangedForAll();

    // The new-tab guards (TabOpener) and the before-navigation rules (TabLinks).
    browser::NewWindowState &newWindowState() { return m_opener.state(); }
    browser::NavigationPolicy &navigationPolicy();
    int viewCount() const { return m_viewCounter + 1; } // number of the newest view
    int newestView() const { return m_newestView; }
    QString statusText() const; // the engine's last status text (a hovered link)

signals:
    void panelTextChanged(commands::Panel panel, const QString &text); // s2, s4
    void hoverTextChanged(const QString &text); // the engine's status text (hovered link)
    void tabsChanged(); // a tab opened, closed, marked, shown, or its page changed
    void windowCaptionChanged(const QString &caption);
    void addressChanged(const QString &address);
    void favouritesCommand(browser::BrowserView *view, const QString &command);
    // A tab's page has loaded (ok) or failed to; its title changed.
    void pageLoaded(browser::BrowserView *view, bool ok);
    void pageTitleChanged(browser::BrowserView *view);
    void nextChapterLinkChosen(browser::BrowserView *view, const QUrl &url, const QString &text);
    void blockToDropChosen(browser::BrowserView *view, const QString &selector,
                           const QString &line);

private:
    browser::BrowserView *createView(int index);
    void destroyView(int index);
    void handleTabSwitch();
    void syncShownView();
    void showCurrentPage(bool withAddressPanel);
    void pageChanged(int viewNumber);
    void handleDocumentComplete(browser::BrowserView *view, bool ok);
    void removeTabAt(int position);
    bool closeTabAt(int position, browser::TabRecord *closed = nullptr);
    void afterClosing(bool selectionGone, int position);

    browser::ViewFactory &m_factory;
    QUrl m_favouritesUrl;
    QPointer<QTabBar> m_tabBar;
    QPointer<QStackedWidget> m_stack;
    TabStripMenu *m_stripMenu = nullptr;
    QTimer *m_selectNewestTimer = nullptr;
    TabCaptions *m_captions = nullptr;
    TabLinks *m_links = nullptr;
    TabPageReports *m_reports = nullptr;
    TabDiskDeletion *m_diskDeletion = nullptr;
    TabBarHold *m_barHold = nullptr;
    TabOpener m_opener{*this};
    TabRecords m_records{*this};
    LoadQueue *m_loadQueue = nullptr;
    QHash<int, browser::BrowserView *> m_views; // by view index
    QHash<int, bool> m_marked;                  // by view number
    int m_viewCounter = -1;
    int m_newestView = 0;
    browser::TabClickGate m_clickGate;
    std::function<bool(const QString &)> m_toggle;
    std::function<double()> m_clock;
    CommandGate m_commandGate;
};

} // namespace shell
