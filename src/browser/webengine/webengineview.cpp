#include "webengineview.h"

#include "scriptrunner.h"
#include "webenginepage.h"

#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace browser {

// A page loads without a widget. Tabs opened in the background get their engine widget only
// when the user first looks at them: the widget costs about 2 MB of the program's memory
// per tab, and a hundred harvested links mostly stay unseen.
WebEngineView::WebEngineView(QWebEngineProfile *profile, QObject *parent) : BrowserView(parent) {
    m_container = new QWidget;
    auto *layout = new QVBoxLayout(m_container);
    layout->setContentsMargins(0, 0, 0, 0);
    m_container->installEventFilter(this);
    auto *notice =
        new QLabel(QStringLiteral("这个网页的显示进程意外退出了。按“刷新网页”按钮重新载入它；"
                                  "其他网页不受影响。"),
                   m_container);
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    notice->hide();
    layout->addWidget(notice);
    m_crashNotice = notice;
    m_page = new WebEnginePage(profile, this);
    m_page->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);

    connect(m_page, &QWebEnginePage::linkHovered, this, &BrowserView::statusTextChanged);
    connect(m_page, &QWebEnginePage::titleChanged, this, &BrowserView::titleChanged);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_loading = true;
        m_loadRequested = false;
        m_rendererGone = false;
        showCrashNotice(false);
        emit loadStarted();
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        m_loading = false;
        m_loadRequested = false;
        emit documentComplete(m_page->url(), ok);
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        m_rendererGone = true;
        m_loading = false;
        showCrashNotice(true);
        emit renderProcessGone();
    });
    connect(m_page, &QWebEnginePage::findTextFinished, this,
            [this](const QWebEngineFindTextResult &result) {
                emit findFinished(result.activeMatch(), result.numberOfMatches());
            });
    connect(m_page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                // Never adopted: the program opens its own tab (or refuses) by its rules.
                emit newWindowRequested(request.requestedUrl(), request.isUserInitiated());
            });
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

void WebEngineView::watchFavouritesButtons() {
    // Nothing to wait for: the script only installs a click handler.
    m_page->runJavaScript(scriptWithArguments(QStringLiteral("favourites_buttons.js"), {}),
                          QWebEngineScript::ApplicationWorld);
}

void WebEngineView::findText(const QString &text, bool backward) {
    m_page->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

double WebEngineView::zoomFactor() const {
    return m_page->zoomFactor();
}

void WebEngineView::setZoomFactor(double factor) {
    m_page->setZoomFactor(factor);
}

QWebEngineView *WebEngineView::engineView() {
    if (!m_view && m_container) {
        m_view = new QWebEngineView(m_container);
        m_view->setPage(m_page);
        static_cast<QVBoxLayout *>(m_container->layout())->insertWidget(0, m_view);
        m_view->setVisible(!m_rendererGone);
        m_container->setFocusProxy(m_view);
        m_view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_view, &QWidget::customContextMenuRequested, this,
                &WebEngineView::showContextMenu);
    }
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
    menu->popup(m_view->mapToGlobal(position));
}

QWebEnginePage *WebEngineView::page() const {
    return m_page;
}

bool WebEngineView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_container && event->type() == QEvent::Show)
        engineView();
    return false;
}

void WebEngineView::navigate(const QUrl &url) {
    m_loadRequested = true;
    m_page->markOwnNavigation(url);
    m_page->load(url);
}

void WebEngineView::stop() {
    m_loadRequested = false;
    m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineView::goBack() {
    m_page->triggerAction(QWebEnginePage::Back);
}

void WebEngineView::goForward() {
    m_page->triggerAction(QWebEnginePage::Forward);
}

void WebEngineView::goHome() {
    navigate(QUrl(QStringLiteral("about:blank")));
}

void WebEngineView::reload() {
    m_page->triggerAction(QWebEnginePage::Reload);
}

QUrl WebEngineView::url() const {
    return m_page->url();
}

QString WebEngineView::title() const {
    return m_page->title();
}

bool WebEngineView::isBusy() const {
    return m_loadRequested || m_loading;
}

QVariant WebEngineView::runScript(const QString &script) {
    if (m_rendererGone)
        return {};
    return ScriptRunner::run(m_page, script);
}

QString WebEngineView::html() {
    return runScript(scriptWithArguments(QStringLiteral("inner_html.js"), {})).toString();
}

bool WebEngineView::setHtml(const QString &innerHtml) {
    return runScript(scriptWithArguments(QStringLiteral("set_html.js"),
                                         {{QStringLiteral("$HTML"), innerHtml}}))
        .toBool();
}

QString WebEngineView::articleJson() {
    // Mozilla's Readability, compiled in when the build found it (see src/browser/CMakeLists.txt).
    const QString readability = scriptWithArguments(QStringLiteral("readability.js"), {});
    if (readability.isEmpty())
        return {};
    return runScript(readability + QStringLiteral(";\n") +
                     scriptWithArguments(QStringLiteral("article.js"), {}))
        .toString();
}

QString WebEngineView::selectedText() {
    return m_page->selectedText();
}

QString WebEngineView::selectionType() {
    return m_page->hasSelection() ? QStringLiteral("text") : QStringLiteral("none");
}

QString WebEngineView::focusedElementType() {
    return runScript(scriptWithArguments(QStringLiteral("focused_type.js"), {})).toString();
}

bool WebEngineView::appendToFocusedElement(const QString &text) {
    return runScript(scriptWithArguments(QStringLiteral("append_focused.js"),
                                         {{QStringLiteral("$TEXT"), text}}))
        .toBool();
}

bool WebEngineView::setValueByName(const QString &name, const QString &value) {
    return runScript(scriptWithArguments(
                         QStringLiteral("set_by_name.js"),
                         {{QStringLiteral("$NAME"), name}, {QStringLiteral("$VALUE"), value}}))
        .toBool();
}

void WebEngineView::savePageAs(const QString &path) {
    m_page->save(path, QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
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
