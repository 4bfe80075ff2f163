#pragma once

#include "browser/browserview.h"
#include "browser/tabhost.h"
#include "browser/tabpolicy.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

#include <QStackedWidget>
#include <QTabBar>

class QMenu;
class QTimer;

namespace shell {

class Dialogs;
class LoadQueue;

// The tabs and their views: one view per tab, keyed "WebPage" + view number; new tabs on
// request of pages and of commands, under the repeat guard and the throttle; links followed
// into new tabs; switching, marking and closing tabs. The current page is the view of the
// selected tab, looked up through its key.
class TabManager : public QObject, public browser::NavigationHandler, public browser::TabHost {
    Q_OBJECT
public:
    TabManager(browser::ViewFactory &factory, Dialogs &dialogs, const QUrl &favouritesUrl,
               QObject *parent = nullptr);
    ~TabManager() override;

    QTabBar *tabBar() const { return m_tabBar; }
    QStackedWidget *stack() const { return m_stack; }

    // How the toolbar's toggles ("new", "openi") are read, and the clock (seconds).
    void setToggleReader(std::function<bool(const QString &)> reader) {
        m_toggle = std::move(reader);
    }
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }

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
    void selectTab(int position) override;
    // Ctrl+Tab and the like: counts as the user's own choice of tab, like a left click.
    void switchByKeyboard(int position);

    // The program's way to open something in a new tab: a new tab is asked for with automatic
    // navigation off, then the newest view (ViewCount - 1) is navigated, unless the address is
    // about:blank. Returns that view (the newest existing one when the request was refused).
    // `skipThrottle` lifts the 0.7 s throttle; `resetRepeatGuard` lets the next request pass
    // the repeat guard (commands that open many tabs in a row).
    browser::BrowserView *openInNewTab(const QUrl &url, bool skipThrottle = false,
                                       bool resetRepeatGuard = false) override;

    browser::BrowserView *openHarvested(const QUrl &url) override;
    void reloadView(browser::BrowserView *view) override;
    LoadQueue &loadQueue() { return *m_loadQueue; }

    // The new-window handling itself: true when a tab was made.
    bool requestNewWindow();

    void closeCurrent();          // deleteThis
    void closeAllUnmarked();      // deleteAll
    void markCurrent();           // tab_tick
    void deleteCurrentFromDisk(); // DeleteFromHard
    void selectNewestTabLater();  // in 600 ms

    browser::NewWindowState &newWindowState() { return m_newWindow; }
    browser::NavigationPolicy &navigationPolicy() { return m_navigation; }
    int viewCount() const { return m_viewCounter + 1; } // number of the newest view
    int newestView() const { return m_newestView; }
    QString statusText() const { return m_statusText; }

    bool acceptNavigation(browser::BrowserView *view,
                          const browser::NavigationRequest &request) override;

signals:
    void panelTextChanged(const QString &panel, const QString &text); // "s1", "s2", "s4"
    void windowCaptionChanged(const QString &caption);
    void addressChanged(const QString &address);
    void favouritesCommand(browser::BrowserView *view, const QString &command);
    void nextChapterLinkChosen(browser::BrowserView *view, const QUrl &url, const QString &text);

private:
    browser::BrowserView *createView(int index);
    void destroyView(int index);
    void handleTabSwitch();
    void syncShownView();
    void handleStatusText(const QString &text);
    void handleNewWindow(const QUrl &url);
    void handleDocumentComplete(browser::BrowserView *view, const QUrl &url);
    void removeTabAt(int position);
    void closeTabAt(int position);
    bool eventFilter(QObject *watched, QEvent *event) override;
    double now() const { return m_clock(); }
    bool toggle(const QString &key) const { return m_toggle && m_toggle(key); }

    browser::ViewFactory &m_factory;
    Dialogs &m_dialogs;
    QUrl m_favouritesUrl;
    QPointer<QTabBar> m_tabBar;
    QPointer<QStackedWidget> m_stack;
    QMenu *m_tabMenu = nullptr;
    QTimer *m_selectNewestTimer = nullptr;
    LoadQueue *m_loadQueue = nullptr;
    QHash<int, browser::BrowserView *> m_views; // by view index
    QHash<int, bool> m_marked;                  // by view number
    int m_viewCounter = -1;
    int m_newestView = 0;
    QString m_statusText;
    QString m_lastHoverOpened;
    browser::NewWindowState m_newWindow;
    browser::NavigationPolicy m_navigation;
    browser::TabClickGate m_clickGate;
    std::function<bool(const QString &)> m_toggle;
    std::function<double()> m_clock;
};

} // namespace shell
