#include "tabmanager.h"

#include "loadqueue.h"
#include "tabbarhold.h"
#include "tabcaptions.h"
#include "tabdiskdeletion.h"
#include "tablinks.h"
#include "tabpagereports.h"
#include "tabstrip.h"
#include "tabstripmenu.h"

#include <QElapsedTimer>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QWidget>

namespace shell {

using commands::Panel;

using browser::BrowserView;

namespace {

double monotonicSeconds() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

TabManager::TabManager(browser::ViewFactory &factory, commands::Dialogs &dialogs,
                       const QUrl &favouritesUrl, QObject *parent)
    : QObject(parent), m_factory(factory), m_favouritesUrl(favouritesUrl),
      m_clock(monotonicSeconds) {
    m_tabBar = new TabStrip;
    m_tabBar->setObjectName(QStringLiteral("TabStrip1"));
    m_tabBar->setExpanding(false);
    m_tabBar->setElideMode(Qt::ElideNone);
    m_tabBar->setUsesScrollButtons(true);
    m_tabBar->installEventFilter(this);
    m_stack = new QStackedWidget;
    connect(m_tabBar, &QTabBar::currentChanged, this, [this] { handleTabSwitch(); });
    m_barHold = new TabBarHold(m_tabBar, this);

    m_captions = new TabCaptions(*this);
    connect(m_captions, &TabCaptions::refreshed, this, &TabManager::tabsChanged);
    m_stripMenu = new TabStripMenu(*this);
    m_links = new TabLinks(*this);
    connect(m_links, &TabLinks::hoverTextChanged, this, &TabManager::hoverTextChanged);
    m_reports = new TabPageReports(favouritesUrl, this);
    connect(m_reports, &TabPageReports::windowCaptionChanged, this,
            &TabManager::windowCaptionChanged);
    connect(m_reports, &TabPageReports::addressChanged, this, &TabManager::addressChanged);
    connect(m_reports, &TabPageReports::panelTextChanged, this, &TabManager::panelTextChanged);
    m_diskDeletion = new TabDiskDeletion(*this, dialogs);
    connect(m_diskDeletion, &TabDiskDeletion::reported, this,
            [this](const QString &text) { emit panelTextChanged(Panel::Message, text); });

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
    // Nothing may look at the bar through its pointer while it is being destroyed.
    if (QTabBar *bar = m_tabBar) {
        bar->blockSignals(true);
        m_tabBar.clear();
        delete bar;
    }
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
    pageChanged(1);
}

BrowserView *TabManager::createView(int index) {
    BrowserView *view = m_factory.createView(nullptr, index == 0);
    view->setNavigationHandler(m_links);
    m_views.insert(index, view);
    m_stack->addWidget(view->widget());
    connect(view, &BrowserView::statusTextChanged, this,
            [this](const QString &text) { m_links->handleStatusText(text); });
    connect(view, &BrowserView::newWindowRequested, this,
            [this](const QUrl &url, bool) { m_opener.openForPage(url); });
    const int number = index + 1;
    connect(view, &BrowserView::documentComplete, this,
            [this, view, number](const QUrl &, bool ok) {
                m_captions->setLoading(number, false);
                handleDocumentComplete(view, ok);
                pageChanged(number);
                emit pageLoaded(view, ok);
            });
    connect(view, &BrowserView::loadStarted, this, [this, number] {
        m_captions->setLoading(number, true);
        pageChanged(number);
    });
    connect(view, &BrowserView::titleChanged, this, [this, view, number] {
        pageChanged(number);
        emit pageTitleChanged(view);
    });
    connect(view, &BrowserView::reloadedForReading, this,
            [this, view] { m_reports->reloadedForReading(*view); });
    connect(view, &BrowserView::favouritesCommand, this,
            [this, view](const QString &command) { emit favouritesCommand(view, command); });
    connect(view, &BrowserView::nextChapterLinkChosen, this,
            [this, view](const QUrl &url, const QString &text) {
                emit nextChapterLinkChosen(view, url, text);
            });
    connect(view, &BrowserView::blockToDropChosen, this,
            [this, view](const QString &selector, const QString &line) {
                emit blockToDropChosen(view, selector, line);
            });
    return view;
}

void TabManager::destroyView(int index) {
    m_captions->forget(index + 1);
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

int TabManager::positionOfView(const BrowserView *view) const {
    for (int position = 1; view && position <= tabCount(); ++position) {
        if (viewAtPosition(position) == view)
            return position;
    }
    return 0;
}

int TabManager::positionOfKey(const QString &key) const {
    for (int position = 1; !key.isEmpty() && position <= tabCount(); ++position) {
        if (tabKeyAt(position) == key)
            return position;
    }
    return 0;
}

void TabManager::bringToFront(BrowserView *view) {
    if (const int position = positionOfView(view))
        switchByKeyboard(position);
}

void TabManager::selectTab(int position) {
    if (position < 1 || position > tabCount())
        return;
    if (m_tabBar->currentIndex() == position - 1)
        handleTabSwitch(); // selecting the selected tab runs the switching too
    else
        m_tabBar->setCurrentIndex(position - 1);
}

void TabManager::recordTabPress(bool rightButton, const QString &key) {
    m_clickGate.press(rightButton ? browser::TabClickGate::Button::Right
                                  : browser::TabClickGate::Button::Left,
                      key, now());
}

void TabManager::switchByKeyboard(int position) {
    m_clickGate.press(browser::TabClickGate::Button::Left, QString(), now());
    selectTab(position);
}

BrowserView *TabManager::addBackgroundTab() {
    const int n = ++m_viewCounter;
    BrowserView *view = createView(n);
    const QString key = browser::tabKey(n + 1);
    holdBarLayout();
    m_tabBar->blockSignals(true); // a new tab is not selected
    const int index = m_tabBar->addTab(key);
    m_tabBar->setTabData(index, key);
    m_tabBar->blockSignals(false);
    pageChanged(n + 1);
    emit panelTextChanged(Panel::TabCount, QString::number(n + 1));
    m_newestView = n;
    return view;
}

void TabManager::holdBarLayout() {
    m_barHold->hold();
}

void TabManager::reloadView(BrowserView *view) {
    if (view)
        view->reload();
}

void TabManager::removeTabAt(int position) {
    m_marked.remove(viewNumberAt(position));
    holdBarLayout();
    m_tabBar->blockSignals(true);
    m_tabBar->removeTab(position - 1);
    m_tabBar->blockSignals(false);
}

// The first tab and view 0 are never closed. True when the tab went; `closed` then describes it.
bool TabManager::closeTabAt(int position, browser::TabRecord *closed) {
    const int number = viewNumberAt(position);
    if (closed) {
        BrowserView *view = viewAtPosition(position);
        *closed = {view ? addressOf(view) : QUrl(), view ? view->title() : QString(),
                   isMarked(position)};
    }
    if (position > 1)
        removeTabAt(position);
    if (number > 1)
        destroyView(number - 1);
    return position > 1;
}

// After a close: the selected tab's neighbour is shown when the selected tab went, and the
// address box, caption and status follow the tab shown now.
void TabManager::afterClosing(bool selectionGone, int position) {
    m_opener.resetRepeatGuard(); // the same address may open again
    if (selectionGone)
        selectTab(qMax(position - 1, 1));
    syncShownView();
    showCurrentPage(true);
    emit tabsChanged();
}

void TabManager::closeCurrent() {
    closeTab(currentPosition());
}

void TabManager::closeTab(int position, Reopen reopen) {
    if (position < 1 || position > tabCount())
        return;
    const bool wasSelected = position == currentPosition();
    browser::TabRecord record;
    if (closeTabAt(position, &record) && reopen == Reopen::Keep && !record.url.isEmpty())
        m_records.closed().push({record});
    afterClosing(wasSelected, position);
}

void TabManager::closeAllUnmarked() {
    QList<browser::TabRecord> batch;
    for (int position = tabCount(); position >= 1; --position) {
        browser::TabRecord record;
        if (!isMarked(position) && closeTabAt(position, &record) && !record.url.isEmpty())
            batch.prepend(record);
    }
    m_records.closed().push(batch);
    afterClosing(false, 1);
    emit panelTextChanged(
        Panel::Message, batch.isEmpty()
                            ? QStringLiteral("没有关闭网页：只剩收藏夹和做了标记的网页")
                            : QStringLiteral("已关闭 %1 个网页，按 Ctrl+Shift+T 可以把它们重新打开")
                                  .arg(batch.size()));
}

void TabManager::markCurrent() {
    markTab(currentPosition());
}

void TabManager::markTab(int position) {
    const int number = viewNumberAt(position);
    if (number < 1)
        return;
    m_marked.insert(number, true);
    pageChanged(number);
}

void TabManager::deleteFromDisk(int position) {
    m_diskDeletion->deleteAt(position);
}

QUrl TabManager::addressOf(const BrowserView *view) {
    return view->queuedAddress().isEmpty() ? view->url() : view->queuedAddress();
}

void TabManager::selectNewestTabLater() {
    m_selectNewestTimer->start();
}

// The shown view always belongs to the selected tab, whatever the switching gate decides.
void TabManager::syncShownView() {
    if (BrowserView *view = currentView())
        m_stack->setCurrentWidget(view->widget());
}

// The caption and the address box always show the shown tab's page.
void TabManager::showCurrentPage(bool withAddressPanel) {
    if (const BrowserView *view = currentView())
        m_reports->showPage(*view, withAddressPanel);
}

void TabManager::handleTabSwitch() {
    syncShownView();
    showCurrentPage(true);
    emit tabsChanged();
    if (!m_clickGate.switchingAllowed())
        return;
    BrowserView *view = currentView();
    if (!view)
        return;
    view->widget()->setFocus();
}

void TabManager::pageChanged(int viewNumber) {
    m_captions->pageChanged(viewNumber);
    if (viewNumber == currentViewNumber())
        showCurrentPage(false);
}

void TabManager::refreshCaptions() {
    m_captions->refresh();
}

void TabManager::setSavedCheck(std::function<bool(const QUrl &)> check) {
    m_captions->setSavedCheck(std::move(check));
}

void TabManager::captionsChangedForAll() {
    m_captions->allChanged();
}

browser::NavigationPolicy &TabManager::navigationPolicy() {
    return m_links->policy();
}

QString TabManager::statusText() const {
    return m_links->statusText();
}

void TabManager::handleDocumentComplete(BrowserView *view, bool ok) {
    // Pages loading behind the shown one would bury every other report in s2 (a hundred
    // harvested links, the tabs of a restored session): only the shown page reports.
    if (view == currentView())
        m_reports->loadEnded(*view, ok);
}

} // namespace shell
