#include "webengineview.h"

#include "inputwatch.h"
#include "pagelife.h"
#include "pagescript.h"
#include "scriptrunner.h"
#include "webenginepage.h"

#include "browser/localpages.h"

#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace browser {

// Until the tab's first navigation its widget holds only the (hidden) crash notice.
WebEngineView::WebEngineView(QWebEngineProfile *profile, QObject *parent)
    : BrowserView(parent), m_profile(profile) {
    m_container = new QWidget;
    auto *layout = new QVBoxLayout(m_container);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *notice = new QLabel(m_container);
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    notice->hide();
    layout->addWidget(notice);
    m_crashNotice = notice;
    m_life = new PageLife(m_container, this);
    m_input = new InputWatch(this);
    m_scripts = new ScriptRunner(m_life, this);
    connect(m_scripts, &ScriptRunner::reloadedForReading, this, &BrowserView::reloadedForReading);
}

// The engine's page and its widget are made together, when the tab first needs a page: a
// tab of a long batch that has not had its turn holds only its address. The widget is
// attached to the page at once, before the page loads anything: an engine page that had no
// widget while it ran crashed the whole program when a widget was attached later, once the
// page had asked for a new window or its renderer had died.
void WebEngineView::ensurePage() {
    if (m_page)
        return;
    auto *layout = static_cast<QVBoxLayout *>(m_container->layout());
    m_page = new WebEnginePage(m_profile, this);
    QWebEngineSettings *settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // Local pages are inert: a page saved from the web and opened from the disk keeps its
    // scripts, and must read no other local file and reach no server from there. The
    // program's own local pages (favourites, help) load nothing and need neither. What this
    // setting lets through (sockets, new windows, navigations the tab rules would open in a
    // tab of their own) the profile's LocalPageInterceptor and the page's rules refuse.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    m_view = new QWebEngineView(m_container);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, &WebEngineView::showContextMenu);
    layout->insertWidget(0, m_view);
    m_container->setFocusProxy(m_view);
    m_life->attach(m_page);
    m_scripts->attach(m_page);
    m_input->watch(m_view);
    if (m_zoom != 1.0)
        m_page->setZoomFactor(m_zoom);

    connect(m_page, &QWebEnginePage::linkHovered, this, &BrowserView::statusTextChanged);
    connect(m_page, &QWebEnginePage::titleChanged, this, &BrowserView::titleChanged);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_loading = true;
        m_loadRequested = false;
        m_life->noteLoadStarted();
        showCrashNotice(false);
        emit loadStarted();
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) {
                if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                    setLoadError(info.errorString().isEmpty()
                                     ? QStringLiteral("错误 %1").arg(info.errorCode())
                                     : info.errorString());
                else if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                    setLoadError(QString());
            });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        m_loading = false;
        m_loadRequested = false;
        // The page is still shown: it was its own way out that was refused.
        setRefusedLeave(ok ? QUrl() : m_page->takeRefusedLeave());
        m_life->noteLoadFinished();
        emit documentComplete(m_page->url(), ok);
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                m_loading = false;
                if (!m_life->noteRendererEnded(status))
                    return; // let go by the program: it comes back when shown or read
                // Text typed into the page went with its renderer (and with every page that
                // shared it): the notice says so.
                m_crashNotice->setText(PageLife::crashNotice(status, holdsUserInput()));
                showCrashNotice(true);
                emit renderProcessGone();
            });
    connect(m_page, &QWebEnginePage::findTextFinished, this,
            [this](const QWebEngineFindTextResult &result) {
                emit findFinished(result.activeMatch(), result.numberOfMatches());
            });
    connect(m_page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                // A local page opens no window onto the network unless the user asked for it
                // (a click on a link, a middle click); ignored, the request is refused.
                if (!mayGoOn({isLocalDocument(m_page->url()), request.requestedUrl(),
                              PageRequest::Kind::NewWindow, request.isUserInitiated()}))
                    return;
                // Never adopted: the program opens its own tab (or refuses) by its rules.
                emit newWindowRequested(request.requestedUrl(), request.isUserInitiated());
            });
    emit pageCreated();
}

WebEngineView::~WebEngineView() {
    // The page must go before the widget that shows it.
    if (m_view)
        m_view->setPage(nullptr);
    delete m_page;
    delete m_container;
}

QWidget *WebEngineView::widget() {
    return m_container;
}

void WebEngineView::showCrashNotice(bool shown) {
    if (m_crashNotice)
        m_crashNotice->setVisible(shown);
    if (m_view)
        m_view->setVisible(!shown);
}

void WebEngineView::findText(const QString &text, bool backward) {
    if (m_page)
        m_page->findText(text,
                         backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

double WebEngineView::zoomFactor() const {
    return m_page ? m_page->zoomFactor() : m_zoom;
}

void WebEngineView::setZoomFactor(double factor) {
    m_zoom = factor;
    if (m_page)
        m_page->setZoomFactor(factor);
}

QWebEngineView *WebEngineView::engineView() {
    ensurePage();
    return m_view;
}

// The engine's own menu, and on a link the entry that points the serial chain at it.
void WebEngineView::showContextMenu(const QPoint &position) {
    QMenu *menu = m_view->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (const QWebEngineContextMenuRequest *request = m_view->lastContextMenuRequest();
        request && request->linkUrl().isValid()) {
        const QUrl url = request->linkUrl();
        const QString text = request->linkText();
        menu->addSeparator();
        menu->addAction(QStringLiteral("以此链接为下一章"), this,
                        [this, url, text] { emit nextChapterLinkChosen(url, text); });
    }
    if (const QString scheme = url().scheme(); scheme == u"http" || scheme == u"https") {
        const double zoom = m_page->zoomFactor() > 0 ? m_page->zoomFactor() : 1;
        const QString script =
            scriptWithArguments(QStringLiteral("block_under_pointer.js"), {})
                .replace(
                    QStringLiteral("(X, Y)"),
                    QStringLiteral("(%1, %2)").arg(position.x() / zoom).arg(position.y() / zoom));
        menu->addAction(QStringLiteral("以后不保存这一块（本网站）"), this, [this, script] {
            m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                  [view = QPointer<WebEngineView>(this)](const QVariant &found) {
                                      const QVariantMap block = found.toMap();
                                      if (view)
                                          emit view->blockToDropChosen(
                                              block.value(QStringLiteral("selector")).toString(),
                                              block.value(QStringLiteral("line")).toString());
                                  });
        });
    }
    menu->popup(m_view->mapToGlobal(position));
}

QWebEnginePage *WebEngineView::page() {
    ensurePage();
    return m_page;
}

bool WebEngineView::followsUserInput() const {
    return m_input->followsUserInput();
}

bool WebEngineView::claimDownload(const QUrl &url) {
    return m_input->claimDownload(url);
}

void WebEngineView::navigate(const QUrl &url) {
    m_loadRequested = true;
    ensurePage();
    m_page->markOwnNavigation(url);
    m_page->load(url);
}

void WebEngineView::navigateFresh(const QUrl &url) {
    m_loadRequested = true;
    ensurePage();
    m_page->markOwnNavigation(url);
    // The engine's cache takes a request that says no-cache to the server.
    QWebEngineHttpRequest request(url);
    request.setHeader("Cache-Control", "no-cache");
    request.setHeader("Pragma", "no-cache");
    m_page->load(request);
}

void WebEngineView::stop() {
    m_loadRequested = false;
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineView::goBack() {
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Back);
}

void WebEngineView::goForward() {
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Forward);
}

void WebEngineView::goHome() {
    navigate(QUrl(QStringLiteral("about:blank")));
}

void WebEngineView::reload() {
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Reload);
}

QUrl WebEngineView::url() const {
    if (!m_page)
        return {};
    // Until the first document of a navigation arrives, the address asked for.
    const QUrl shown = m_page->url();
    return shown.isEmpty() ? m_page->requestedUrl() : shown;
}

QString WebEngineView::title() const {
    return m_page ? m_page->title() : QString();
}

bool WebEngineView::isBusy() const {
    return m_loadRequested || m_loading;
}

LifeState WebEngineView::lifeState() const {
    return m_life->state();
}

void WebEngineView::setLifeState(LifeState state) {
    m_life->setState(state);
}

bool WebEngineView::holdsUserInput() const {
    return m_input->holdsUserInput();
}

bool WebEngineView::mustStayActive() const {
    return m_page && (m_scripts->underWay() || m_life->mustStayActive());
}

void WebEngineView::trackDownload(QWebEngineDownloadRequest *request) {
    m_life->trackDownload(request);
}

void WebEngineView::download(const QUrl &url) {
    m_input->expectDownload(url);
    ensurePage();
    m_page->download(url);
}

bool WebEngineView::decideNavigation(const NavigationRequest &request) {
    NavigationHandler *handler = navigationHandler();
    return handler ? handler->acceptNavigation(this, request) : true;
}

void WebEngineView::reportFavouritesCommand(const QString &command) {
    // Never act inside the engine's hook.
    QTimer::singleShot(0, this, [this, command] { emit favouritesCommand(command); });
}

} // namespace browser
