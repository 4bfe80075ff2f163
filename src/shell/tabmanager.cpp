#include "tabmanager.h"

#include "commands/dialogs.h"
#include "loadqueue.h"
#include "tabcaptions.h"
#include "tabstrip.h"
#include "tabstripmenu.h"

#include "common/fileerror.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QWidget>

namespace shell {

using commands::Dialogs;

namespace {

// While tabs keep changing, the tab bar is laid out at most this often.
constexpr qint64 kBarLayoutMs = 250;

} // namespace

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
    m_tabBar = new TabStrip;
    m_tabBar->setObjectName(QStringLiteral("TabStrip1"));
    m_tabBar->setExpanding(false);
    m_tabBar->setElideMode(Qt::ElideNone);
    m_tabBar->setUsesScrollButtons(true);
    m_tabBar->installEventFilter(this);
    m_stack = new QStackedWidget;
    connect(m_tabBar, &QTabBar::currentChanged, this, [this] { handleTabSwitch(); });

    // Captions follow their pages, a few times a second at most: hundreds of pages loading
    // at once must not repaint the strip for each of them.
    m_captions = new TabCaptions(*this);
    connect(m_captions, &TabCaptions::refreshed, this, &TabManager::tabsChanged);
    m_stripMenu = new TabStripMenu(*this);

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
    view->setNavigationHandler(this);
    m_views.insert(index, view);
    m_stack->addWidget(view->widget());
    connect(view, &BrowserView::statusTextChanged, this, &TabManager::handleStatusText);
    connect(view, &BrowserView::newWindowRequested, this,
            [this](const QUrl &url, bool) { handleNewWindow(url); });
    const int number = index + 1;
    connect(view, &BrowserView::documentComplete, this,
            [this, view, number](const QUrl &url, bool ok) {
                m_captions->setLoading(number, false);
                handleDocumentComplete(view, url, ok);
                pageChanged(number);
            });
    connect(view, &BrowserView::loadStarted, this, [this, number] {
        m_captions->setLoading(number, true);
        pageChanged(number);
    });
    connect(view, &BrowserView::titleChanged, this, [this, number] { pageChanged(number); });
    connect(view, &BrowserView::reloadedForReading, this, [this, view] {
        emit panelTextChanged(QStringLiteral("s2"),
                              QStringLiteral("这个网页为节省内存释放过，已重新载入后读取：") +
                                  view->title());
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

bool TabManager::requestNewWindow() {
    if (!m_newWindow.allowNewTab(now()))
        return false;
    const int n = ++m_viewCounter;
    BrowserView *view = createView(n);
    const QString key = browser::tabKey(n + 1);
    holdBarLayout();
    m_tabBar->blockSignals(true); // a new tab is not selected
    const int index = m_tabBar->addTab(key);
    m_tabBar->setTabData(index, key);
    m_tabBar->blockSignals(false);
    pageChanged(n + 1);
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

// QTabBar lays out all its tabs on every change while it is shown: opening or closing
// thousands of tabs one by one cost the square of their number. Changes are laid out
// together: at the end of this turn of the event loop, and while they keep coming (a batch
// of thousands of tabs) at most every kBarLayoutMs, the window's painting held meanwhile.
void TabManager::holdBarLayout() {
    if (m_barHeld || !m_tabBar->isVisible())
        return;
    m_barHeld = true;
    QPointer<QWidget> window = m_tabBar->window();
    window->setUpdatesEnabled(false);
    m_tabBar->hide();
    // A bar of thousands of tabs takes long to lay out: it is laid out less often then, so
    // that its layout never takes more than about a fifth of the window's time.
    const qint64 interval = qMax(kBarLayoutMs, 5 * m_barLayoutCostMs);
    const qint64 sinceLayout = m_barLaidOut.isValid() ? m_barLaidOut.elapsed() : interval;
    const int wait = sinceLayout < interval ? int(interval - sinceLayout) : 0;
    QTimer::singleShot(wait, this, [this, window] {
        m_barLaidOut.start();
        m_tabBar->show(); // lays the bar out
        m_barLayoutCostMs = m_barLaidOut.elapsed();
        m_barHeld = false;
        if (window)
            window->setUpdatesEnabled(true);
    });
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
    m_newWindow.forgetLastNewWindow();
    if (selectionGone)
        selectTab(qMax(position - 1, 1));
    syncShownView();
    showCurrentPage(true);
    emit tabsChanged();
}

void TabManager::closeCurrent() {
    closeTab(currentPosition());
}

void TabManager::closeTab(int position) {
    if (position < 1 || position > tabCount())
        return;
    const bool wasSelected = position == currentPosition();
    browser::TabRecord record;
    if (closeTabAt(position, &record) && !record.url.isEmpty())
        m_closed.push({record});
    afterClosing(wasSelected, position);
}

void TabManager::closeAllUnmarked() {
    QList<browser::TabRecord> batch;
    for (int position = tabCount(); position >= 1; --position) {
        browser::TabRecord record;
        if (!isMarked(position) && closeTabAt(position, &record) && !record.url.isEmpty())
            batch.prepend(record);
    }
    m_closed.push(batch);
    afterClosing(false, 1);
    emit panelTextChanged(
        QStringLiteral("s2"),
        batch.isEmpty() ? QStringLiteral("没有关闭网页：只剩收藏夹和做了标记的网页")
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

void TabManager::deleteCurrentFromDisk() {
    deleteFromDisk(currentPosition());
}

void TabManager::deleteFromDisk(int position) {
    BrowserView *view = viewAtPosition(position);
    if (!view)
        return;
    const QUrl address = addressOf(view);
    const bool onDisk = address.isLocalFile();
    const QString name = onDisk ? address.toLocalFile() : address.toDisplayString();
    const QString question =
        onDisk ? QStringLiteral("将从硬盘上彻底删除这个网页，你确定吗？\n%1").arg(name)
               : QStringLiteral("这个网页不在硬盘上，没有文件可删除，只会关闭它的标签页"
                                "（按 Ctrl+Shift+T 可以重新打开）。要关闭吗？\n%1")
                     .arg(name);
    if (m_dialogs.message(commands::kNoticeCaption, question, Dialogs::Buttons::OkCancel) !=
        Dialogs::Answer::Ok)
        return;
    const bool wasSelected = position == currentPosition();
    browser::TabRecord record;
    closeTabAt(position, &record);
    // A page from the web is only closed, and comes back like any closed tab; a file goes
    // with its tab, which is then not kept for reopening.
    if (!onDisk && !record.url.isEmpty())
        m_closed.push({record});
    afterClosing(wasSelected, position);
    if (!onDisk) {
        emit panelTextChanged(QStringLiteral("s2"),
                              QStringLiteral("已关闭（不在硬盘上，没有删除文件）：%1").arg(name));
        return;
    }
    QFile file(name);
    if (!file.remove()) {
        m_dialogs.message(
            commands::kNoticeCaption,
            QStringLiteral("无法删除文件 %1：%2").arg(name, common::fileErrorReason(file, name)),
            Dialogs::Buttons::Ok);
        return;
    }
    emit panelTextChanged(QStringLiteral("s2"), QStringLiteral("已从硬盘上删除 %1").arg(name));
}

// A tab still waiting for its turn to load is kept by the address it waits for.
QUrl TabManager::addressOf(const BrowserView *view) {
    return view->queuedAddress().isEmpty() ? view->url() : view->queuedAddress();
}

QList<browser::TabRecord> TabManager::records() const {
    QList<browser::TabRecord> out;
    for (int position = 2; position <= tabCount(); ++position) {
        const BrowserView *view = viewAtPosition(position);
        if (view && !addressOf(view).isEmpty())
            out.append({addressOf(view), view->title(), isMarked(position)});
    }
    return out;
}

int TabManager::openRecords(const QList<browser::TabRecord> &records) {
    int opened = 0;
    for (const browser::TabRecord &record : records) {
        if (!openHarvested(record.url))
            continue;
        ++opened;
        if (record.marked)
            markTab(tabCount());
    }
    emit tabsChanged();
    return opened;
}

bool TabManager::reopenClosed() {
    if (m_closed.isEmpty())
        return false;
    const QList<browser::TabRecord> batch = m_closed.takeLast();
    const int first = tabCount() + 1;
    openRecords(batch);
    if (first <= tabCount())
        switchByKeyboard(first);
    return true;
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
    BrowserView *view = currentView();
    if (!view)
        return;
    const bool favourites = view->url() == m_favouritesUrl;
    emit windowCaptionChanged(favourites ? kCaption
                                         : kCaption + QStringLiteral("  ") + view->title());
    const QString address = view->url().toString();
    emit addressChanged(address);
    if (withAddressPanel)
        emit panelTextChanged(QStringLiteral("s2"), address);
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
    if (!view->isBusy()) {
        m_newWindow.lastLinkUrl = withBackslashes(view->url().toString());
        if (view->url() == m_favouritesUrl)
            view->watchFavouritesButtons();
    }
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

void TabManager::handleStatusText(const QString &text) {
    m_statusText = text;
    emit hoverTextChanged(text);
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

void TabManager::handleDocumentComplete(BrowserView *view, const QUrl &url, bool ok) {
    m_newWindow.lastLinkUrl = withBackslashes(url.toString());
    if (url == m_favouritesUrl)
        view->watchFavouritesButtons();
    // Pages loading behind the shown one would bury every other report in s2 (a hundred
    // harvested links, the tabs of a restored session): only the shown page reports here.
    if (view != currentView())
        return;
    if (ok)
        emit panelTextChanged(QStringLiteral("s2"),
                              view->url().toString() + QStringLiteral("下载完成"));
    else
        emit panelTextChanged(QStringLiteral("s2"),
                              QStringLiteral("打开失败：%1（%2）")
                                  .arg(view->loadError().isEmpty() ? QStringLiteral("网页没有载入")
                                                                   : view->loadError(),
                                       view->url().toString()));
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
    // A favourite clicked comes to the front; a link followed with "new" on stays behind.
    const bool show = context.currentIsFavourites;
    QTimer::singleShot(0, this, [this, url, show] {
        BrowserView *opened = openInNewTab(url);
        if (show)
            bringToFront(opened);
    });
    return false;
}

} // namespace shell
