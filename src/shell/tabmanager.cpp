#include "tabmanager.h"

#include "dialogs.h"
#include "loadqueue.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QWidget>

namespace shell {

using browser::BrowserView;

namespace {

const QString kCaption = QStringLiteral("Lumaro浏览器2.0");

// A loaded page's address is remembered with "\" for "/": it never equals the address a
// new tab was made for, so the repeat guard only ever stops a page's own repeated requests.
QString withBackslashes(QString address) {
    return address.replace(u'/', u'\\');
}

double monotonicSeconds() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

TabManager::TabManager(browser::ViewFactory &factory, Dialogs &dialogs, const QUrl &favouritesUrl,
                       QObject *parent)
    : QObject(parent), m_factory(factory), m_dialogs(dialogs), m_favouritesUrl(favouritesUrl),
      m_clock(monotonicSeconds) {
    m_tabBar = new QTabBar;
    m_tabBar->setObjectName(QStringLiteral("TabStrip1"));
    m_tabBar->setExpanding(false);
    m_tabBar->setElideMode(Qt::ElideNone);
    m_tabBar->setUsesScrollButtons(true);
    m_tabBar->installEventFilter(this);
    m_stack = new QStackedWidget;
    connect(m_tabBar, &QTabBar::currentChanged, this, [this] { handleTabSwitch(); });

    m_tabMenu = new QMenu(m_tabBar);
    m_tabMenu->setObjectName(QStringLiteral("tabmenu"));
    m_tabMenu
        ->addAction(QStringLiteral("删除这个网页（双击也可）"), this, &TabManager::closeCurrent)
        ->setObjectName(QStringLiteral("deleteThis"));
    m_tabMenu->addAction(QStringLiteral("删除所有网页"), this, &TabManager::closeAllUnmarked)
        ->setObjectName(QStringLiteral("deleteAll"));
    m_tabMenu
        ->addAction(QStringLiteral("给这个网页做标记（删除所有网页不删除它）"), this,
                    &TabManager::markCurrent)
        ->setObjectName(QStringLiteral("tab_tick"));
    m_tabMenu->addSeparator();
    m_tabMenu
        ->addAction(QStringLiteral("从硬盘上删除这个网页"), this,
                    &TabManager::deleteCurrentFromDisk)
        ->setObjectName(QStringLiteral("DeleteFromHard"));

    m_loadQueue = new LoadQueue(6, this);
    m_selectNewestTimer = new QTimer(this);
    m_selectNewestTimer->setSingleShot(true);
    m_selectNewestTimer->setInterval(600);
    connect(m_selectNewestTimer, &QTimer::timeout, this, [this] {
        selectTab(tabCount());
        if (BrowserView *view = viewAt(m_newestView))
            m_stack->setCurrentWidget(view->widget());
    });
}

TabManager::~TabManager() {
    // Views go before the widgets that hold them.
    for (BrowserView *view : std::as_const(m_views))
        delete view;
    m_views.clear();
    delete m_tabBar;
    delete m_stack;
}

void TabManager::createFirstTab() {
    m_viewCounter = 0;
    m_newestView = 0;
    createView(0);
    m_tabBar->blockSignals(true);
    while (m_tabBar->count() > 0)
        m_tabBar->removeTab(0);
    const int index = m_tabBar->addTab(browser::tabKey(1));
    m_tabBar->setTabData(index, browser::tabKey(1));
    m_tabBar->setCurrentIndex(index);
    m_tabBar->blockSignals(false);
    m_stack->setCurrentWidget(m_views.value(0)->widget());
}

BrowserView *TabManager::createView(int index) {
    BrowserView *view = m_factory.createView(nullptr, index == 0);
    view->setNavigationHandler(this);
    m_views.insert(index, view);
    m_stack->addWidget(view->widget());
    connect(view, &BrowserView::statusTextChanged, this, &TabManager::handleStatusText);
    connect(view, &BrowserView::newWindowRequested, this,
            [this](const QUrl &url, bool) { handleNewWindow(url); });
    connect(view, &BrowserView::documentComplete, this,
            [this, view](const QUrl &url, bool) { handleDocumentComplete(view, url); });
    connect(view, &BrowserView::titleChanged, this, [this, index](const QString &title) {
        for (int i = 0; i < m_tabBar->count(); ++i) {
            if (browser::viewNumberFromKey(m_tabBar->tabData(i).toString()) == index + 1)
                m_tabBar->setTabToolTip(i, title);
        }
    });
    connect(view, &BrowserView::favouritesCommand, this,
            [this, view](const QString &command) { emit favouritesCommand(view, command); });
    connect(view, &BrowserView::nextChapterLinkChosen, this,
            [this, view](const QUrl &url, const QString &text) {
                emit nextChapterLinkChosen(view, url, text);
            });
    return view;
}

void TabManager::destroyView(int index) {
    BrowserView *view = m_views.take(index);
    if (!view)
        return;
    m_stack->removeWidget(view->widget());
    view->setNavigationHandler(nullptr);
    view->disconnect(this);
    view->deleteLater();
}

BrowserView *TabManager::currentView() const {
    const int number = currentViewNumber();
    return number > 0 ? m_views.value(number - 1) : nullptr;
}

int TabManager::currentViewNumber() const {
    const int index = m_tabBar->currentIndex();
    return index < 0 ? 0 : browser::viewNumberFromKey(m_tabBar->tabData(index).toString());
}

QList<BrowserView *> TabManager::viewsInTabOrder() const {
    QList<BrowserView *> views;
    for (int position = 1; position <= tabCount(); ++position) {
        if (BrowserView *view = viewAtPosition(position))
            views.append(view);
    }
    return views;
}

int TabManager::tabCount() const {
    return m_tabBar->count();
}

QString TabManager::tabKeyAt(int position) const {
    return m_tabBar->tabData(position - 1).toString();
}

int TabManager::viewNumberAt(int position) const {
    return browser::viewNumberFromKey(tabKeyAt(position));
}

BrowserView *TabManager::viewAtPosition(int position) const {
    return m_views.value(viewNumberAt(position) - 1);
}

bool TabManager::isMarked(int position) const {
    return m_marked.value(viewNumberAt(position));
}

void TabManager::selectTab(int position) {
    if (position < 1 || position > tabCount())
        return;
    if (m_tabBar->currentIndex() == position - 1)
        handleTabSwitch(); // selecting the selected tab runs the switching too
    else
        m_tabBar->setCurrentIndex(position - 1);
}

void TabManager::switchByKeyboard(int position) {
    m_clickGate.press(browser::TabClickGate::Button::Left, QString(), now());
    selectTab(position);
}

bool TabManager::requestNewWindow() {
    if (!m_newWindow.allowNewTab(now()))
        return false;
    const int n = ++m_viewCounter;
    BrowserView *view = createView(n);
    const QString key = browser::tabKey(n + 1);
    m_tabBar->blockSignals(true); // a new tab is not selected
    const int index = m_tabBar->addTab(key);
    m_tabBar->setTabData(index, key);
    m_tabBar->blockSignals(false);
    emit panelTextChanged(QStringLiteral("s4"), QString::number(n + 1));
    m_newestView = n;
    if (!m_newWindow.noAutoNavigate && m_newWindow.lastLinkUrl != QLatin1String("about:blank"))
        view->navigate(QUrl(m_newWindow.lastLinkUrl));
    return true;
}

BrowserView *TabManager::openInNewTab(const QUrl &url, bool skipThrottle, bool resetRepeatGuard) {
    // The repeat guard judges the address being opened. Left to the last link address (after a
    // tab switch or a reload that may equal the address of the last new tab), it would refuse
    // the tab and send the address into the newest tab, replacing the page there.
    m_newWindow.lastLinkUrl = url.toString();
    m_newWindow.noAutoNavigate = true;
    m_newWindow.skipThrottle = skipThrottle;
    requestNewWindow();
    m_newWindow.noAutoNavigate = false;
    m_newWindow.skipThrottle = false;
    BrowserView *newest = viewAt(viewCount() - 1);
    if (newest && url.toString() != QLatin1String("about:blank"))
        newest->navigate(url);
    if (resetRepeatGuard)
        m_newWindow.lastNewWindowUrl = QStringLiteral("1");
    return newest;
}

BrowserView *TabManager::openHarvested(const QUrl &url) {
    // A refused request would send the link into the newest existing tab, replacing its page.
    m_newWindow.lastNewWindowUrl = QStringLiteral("1");
    BrowserView *view = openInNewTab(QUrl(QStringLiteral("about:blank")), true, true);
    if (view && !url.isEmpty() && url.toString() != QLatin1String("about:blank"))
        m_loadQueue->navigate(view, url);
    return view;
}

void TabManager::reloadView(BrowserView *view) {
    if (view)
        view->reload();
}

void TabManager::removeTabAt(int position) {
    m_marked.remove(viewNumberAt(position));
    m_tabBar->blockSignals(true);
    m_tabBar->removeTab(position - 1);
    m_tabBar->blockSignals(false);
}

// The first tab and view 0 are never closed.
void TabManager::closeTabAt(int position) {
    const int number = viewNumberAt(position);
    if (position > 1)
        removeTabAt(position);
    if (number > 1)
        destroyView(number - 1);
}

void TabManager::closeCurrent() {
    const int position = m_tabBar->currentIndex() + 1;
    closeTabAt(position);
    m_newWindow.forgetLastNewWindow();
    selectTab(qMax(position - 1, 1));
    syncShownView();
}

void TabManager::closeAllUnmarked() {
    for (int position = tabCount(); position >= 1; --position) {
        if (!isMarked(position))
            closeTabAt(position);
    }
    m_newWindow.forgetLastNewWindow();
    syncShownView();
}

void TabManager::markCurrent() {
    m_marked.insert(currentViewNumber(), true);
}

void TabManager::deleteCurrentFromDisk() {
    if (m_dialogs.message(shell::kNoticeCaption,
                          QStringLiteral("将从硬盘上彻底删除这个网页，你确定吗？"),
                          Dialogs::Buttons::OkCancel) != Dialogs::Answer::Ok)
        return;
    BrowserView *view = currentView();
    const QUrl address = view ? view->url() : QUrl();
    closeTabAt(m_tabBar->currentIndex() + 1);
    m_newWindow.forgetLastNewWindow();
    syncShownView();
    if (!address.isLocalFile())
        return;
    const QString path = address.toLocalFile();
    QFile file(path);
    if (!file.remove()) {
        m_dialogs.message(shell::kNoticeCaption,
                          QStringLiteral("无法删除文件 %1：%2").arg(path, file.errorString()),
                          Dialogs::Buttons::Ok);
    }
}

void TabManager::selectNewestTabLater() {
    m_selectNewestTimer->start();
}

// The shown view always belongs to the selected tab, whatever the switching gate decides.
void TabManager::syncShownView() {
    if (BrowserView *view = currentView())
        m_stack->setCurrentWidget(view->widget());
}

void TabManager::handleTabSwitch() {
    syncShownView();
    if (!m_clickGate.switchingAllowed())
        return;
    BrowserView *view = currentView();
    if (!view)
        return;
    view->widget()->setFocus();
    emit windowCaptionChanged(kCaption + QStringLiteral("  ") + view->title());
    const QString address = view->url().toString();
    if (!view->isBusy()) {
        m_newWindow.lastLinkUrl = withBackslashes(address);
        if (view->url() == m_favouritesUrl) {
            view->watchFavouritesButtons();
            emit windowCaptionChanged(kCaption);
        }
    }
    emit panelTextChanged(QStringLiteral("s2"), address);
    emit addressChanged(address);
}

void TabManager::handleStatusText(const QString &text) {
    m_statusText = text;
    emit panelTextChanged(QStringLiteral("s1"), text);
    if (browser::isLinkText(text))
        m_newWindow.lastLinkUrl = text;
    if (!toggle(QStringLiteral("openi")) || text == m_lastHoverOpened ||
        !(text.startsWith(QLatin1String("http")) || text.startsWith(QLatin1String("file"))))
        return;
    for (BrowserView *view : viewsInTabOrder()) {
        if (view->url().toString() == text)
            return;
    }
    m_lastHoverOpened = text;
    // Opening a tab makes the engine report again: never inside its own callback.
    QTimer::singleShot(0, this, [this, text] { openInNewTab(QUrl(text), true); });
}

void TabManager::handleNewWindow(const QUrl &url) {
    // The page names the address it wants; the hovered link may be another (window.open).
    m_newWindow.lastLinkUrl = url.toString();
    requestNewWindow();
}

void TabManager::handleDocumentComplete(BrowserView *view, const QUrl &url) {
    m_newWindow.lastLinkUrl = withBackslashes(url.toString());
    if (url == m_favouritesUrl)
        view->watchFavouritesButtons();
    emit panelTextChanged(QStringLiteral("s2"),
                          view->url().toString() + QStringLiteral("下载完成"));
}

bool TabManager::acceptNavigation(BrowserView *view, const browser::NavigationRequest &request) {
    Q_UNUSED(view);
    browser::NavigationPolicy::Context context;
    context.statusText = m_statusText;
    context.isMainFrame = request.isMainFrame;
    context.ownNavigation = request.ownNavigation;
    context.newToggleOn = toggle(QStringLiteral("new"));
    BrowserView *current = currentView();
    context.currentIsFavourites = current && current->url() == m_favouritesUrl;
    if (m_navigation.decide(context, now()) == browser::NavigationAction::Proceed)
        return true;
    const QUrl url = request.url;
    QTimer::singleShot(0, this, [this, url] { openInNewTab(url); });
    return false;
}

bool TabManager::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_tabBar)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const bool right = mouse->button() == Qt::RightButton;
        const int index = m_tabBar->tabAt(mouse->position().toPoint());
        const QString key = index < 0 ? QString() : m_tabBar->tabData(index).toString();
        const bool doublePress = m_clickGate.press(right ? browser::TabClickGate::Button::Right
                                                         : browser::TabClickGate::Button::Left,
                                                   key, now());
        if (doublePress && index == m_tabBar->currentIndex()) {
            QTimer::singleShot(0, this, &TabManager::closeCurrent);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            m_tabMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return false;
}

} // namespace shell
