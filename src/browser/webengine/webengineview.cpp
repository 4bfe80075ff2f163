#include "webengineview.h"

#include "pagescript.h"
#include "webenginepage.h"

#include "browser/localpages.h"

#include <QChildEvent>
#include <QJsonObject>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace browser {

namespace {

// Shown in the tab whose page lost its renderer; every tab that lost it shows its own.
QString crashNoticeText(QWebEnginePage::RenderProcessTerminationStatus status) {
    const QString cause = status == QWebEnginePage::KilledTerminationStatus
                              ? QStringLiteral("被结束了（也许是内存不够）")
                          : status == QWebEnginePage::CrashedTerminationStatus
                              ? QStringLiteral("崩溃了")
                              : QStringLiteral("意外退出了");
    return QStringLiteral("显示这个网页的进程%1。按“刷新网页”按钮重新载入这个网页。").arg(cause);
}

// Keys that change what a form field or an editable page holds; moving about (arrows, page
// keys, Tab, the space bar that scrolls) and copying do not.
bool editsText(const QKeyEvent *event) {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() && text != QLatin1String(" ");
}

// How long a read waits for a discarded page to load again.
constexpr int kReloadForReadingMs = 30000;

QWebEnginePage::LifecycleState engineState(LifeState state) {
    switch (state) {
    case LifeState::Frozen:
        return QWebEnginePage::LifecycleState::Frozen;
    case LifeState::Discarded:
        return QWebEnginePage::LifecycleState::Discarded;
    case LifeState::Active:
        break;
    }
    return QWebEnginePage::LifecycleState::Active;
}

} // namespace

// The engine widget is attached to its page here, before the page exists for the engine. An
// engine page that had no widget while it ran crashed the whole program when a widget was
// attached later, once the page had asked for a new window or its renderer had died.
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
    m_container->installEventFilter(this); // shown: a page the program let go comes back
}

// The engine's page and its widget are made together, when the tab first needs a page: a
// tab of a long batch that has not had its turn holds only its address. The widget is
// attached to the page before the engine knows the page (see the constructor's note).
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
    // The engine puts the widget that takes the page's input inside the view, and makes it
    // anew when a renderer comes back: watch each one as it arrives.
    m_view->installEventFilter(this);
    if (m_zoom != 1.0)
        m_page->setZoomFactor(m_zoom);

    connect(m_page, &QWebEnginePage::linkHovered, this, &BrowserView::statusTextChanged);
    connect(m_page, &QWebEnginePage::titleChanged, this, &BrowserView::titleChanged);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_loading = true;
        m_loadRequested = false;
        m_rendererGone = false;
        m_discardAsked = false;
        m_letGo = false;
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
        emit documentComplete(m_page->url(), ok);
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                m_loading = false;
                // A renderer shared with other tabs ends normally once the program has let
                // all its pages go: the page comes back when shown or read.
                if (m_page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded ||
                    (m_discardAsked && status == QWebEnginePage::NormalTerminationStatus)) {
                    m_letGo = true;
                    return;
                }
                m_rendererGone = true;
                m_crashNotice->setText(crashNoticeText(status));
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

void WebEngineView::watchFavouritesButtons() {
    if (!m_page)
        return;
    // Nothing to wait for: the script only installs a click handler.
    m_page->runJavaScript(scriptWithArguments(QStringLiteral("favourites_buttons.js"), {}),
                          QWebEngineScript::ApplicationWorld);
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
    menu->popup(m_view->mapToGlobal(position));
}

QWebEnginePage *WebEngineView::page() {
    ensurePage();
    return m_page;
}

bool WebEngineView::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::Show:
        if (watched == m_container && m_letGo)
            QTimer::singleShot(0, this, [this] {
                if (m_letGo)
                    revive();
            });
        break;
    case QEvent::ChildAdded:
        if (watched == m_view) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click may tick a box or pick an entry: the page may hold a choice from now on.
        m_sinceUserInput.start();
        noteUserInput();
        break;
    case QEvent::KeyPress:
        m_sinceUserInput.start();
        if (editsText(static_cast<QKeyEvent *>(event)))
            noteUserInput();
        break;
    default:
        break;
    }
    return false;
}

namespace {

// Long enough for a slow server to answer a click with a file.
constexpr qint64 kAnswerTimeMs = 10000;
// A click or key starts its navigation at once; a page's script that navigates later on its
// own is not the user's doing.
constexpr qint64 kUserNavigationMs = 1000;

} // namespace

bool WebEngineView::followsUserInput() const {
    return m_sinceUserInput.isValid() && m_sinceUserInput.elapsed() < kUserNavigationMs;
}

bool WebEngineView::claimDownload(const QUrl &url) {
    // A file the program itself was told to fetch (a menu entry the user chose).
    if (m_requestedDownloads.remove(url))
        return true;
    if (!m_sinceUserInput.isValid() || m_sinceUserInput.elapsed() >= kAnswerTimeMs)
        return false;
    m_sinceUserInput.invalidate();
    return true;
}

void WebEngineView::navigate(const QUrl &url) {
    m_loadRequested = true;
    ensurePage();
    m_page->markOwnNavigation(url);
    m_page->load(url);
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

namespace {

// One script run for a read: answers once, with the script's value or an invalid one, and
// with an invalid one when it is dropped unanswered (its view went away).
class PendingRead : public QObject {
public:
    PendingRead(QObject *parent, std::function<void(QVariant)> reply)
        : QObject(parent), m_reply(std::move(reply)) {}
    ~PendingRead() override { finish(QVariant()); }

    void finish(const QVariant &value) {
        if (!m_reply)
            return;
        const std::function<void(QVariant)> reply = std::exchange(m_reply, nullptr);
        reply(value);
        deleteLater();
    }
    void finishLater(const QVariant &value) {
        QTimer::singleShot(0, this, [this, value] { finish(value); });
    }

private:
    std::function<void(QVariant)> m_reply;
};

} // namespace

bool WebEngineView::needsReload() const {
    return m_letGo ||
           (m_page && m_page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded);
}

void WebEngineView::revive() {
    const bool letGo = m_letGo;
    m_letGo = false;
    m_discardAsked = false;
    if (m_page->lifecycleState() != QWebEnginePage::LifecycleState::Active)
        m_page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    // A page whose renderer ended is not brought back by the engine itself.
    if (letGo)
        m_page->triggerAction(QWebEnginePage::Reload);
}

void WebEngineView::runScript(const QString &script, std::function<void(QVariant)> reply,
                              int timeoutMs) {
    QPointer<WebEngineView> self(this);
    ++m_reading;
    auto *read = new PendingRead(this, [self, reply = std::move(reply)](const QVariant &value) {
        if (self)
            --self->m_reading;
        reply(value);
    });
    if (m_rendererGone || !m_page) {
        read->finishLater(QVariant());
        return;
    }
    QPointer<PendingRead> guard(read);
    const auto run = [this, guard, script] {
        if (!guard)
            return;
        m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                              [guard](const QVariant &value) {
                                  if (guard)
                                      guard->finish(value);
                              });
    };
    connect(m_page, &QWebEnginePage::renderProcessTerminated, read, [this, read] {
        if (!m_letGo)
            read->finish(QVariant());
    });
    if (needsReload()) {
        // Read once the page is back; a load that fails still ends the wait.
        connect(
            m_page, &QWebEnginePage::loadFinished, read,
            [this, run] {
                emit reloadedForReading();
                run();
            },
            Qt::SingleShotConnection);
        QTimer::singleShot(kReloadForReadingMs + timeoutMs, read, [read] { read->finish({}); });
        revive();
        return;
    }
    connect(m_page, &QWebEnginePage::loadStarted, read, [read] { read->finish(QVariant()); });
    QTimer::singleShot(timeoutMs, read, [read] { read->finish(QVariant()); });
    if (m_page->lifecycleState() == QWebEnginePage::LifecycleState::Frozen)
        m_page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    run();
}

void WebEngineView::noteUserInput() {
    m_inputDocument = url().adjusted(QUrl::RemoveFragment);
}

LifeState WebEngineView::lifeState() const {
    if (m_letGo)
        return LifeState::Discarded;
    if (!m_page)
        return LifeState::Active; // nothing there to let go of
    switch (m_page->lifecycleState()) {
    case QWebEnginePage::LifecycleState::Frozen:
        return LifeState::Frozen;
    case QWebEnginePage::LifecycleState::Discarded:
        return LifeState::Discarded;
    case QWebEnginePage::LifecycleState::Active:
        break;
    }
    return LifeState::Active;
}

void WebEngineView::setLifeState(LifeState state) {
    // The engine refuses (with a warning) to freeze or discard a page that is shown.
    if (!m_page || (state != LifeState::Active && m_page->isVisible()))
        return;
    if (state == LifeState::Active && needsReload()) {
        revive();
        return;
    }
    if (state == LifeState::Discarded)
        m_discardAsked = true;
    m_page->setLifecycleState(engineState(state));
}

bool WebEngineView::holdsUserInput() const {
    return !m_inputDocument.isEmpty() && m_inputDocument == url().adjusted(QUrl::RemoveFragment);
}

bool WebEngineView::mustStayActive() const {
    if (!m_page)
        return false;
    if (m_reading > 0 || m_rendererGone || m_page->recentlyAudible())
        return true;
    for (const QPointer<QWebEngineDownloadRequest> &download : m_downloads) {
        if (download && !download->isFinished())
            return true;
    }
    return false;
}

void WebEngineView::trackDownload(QWebEngineDownloadRequest *request) {
    m_downloads.removeAll(nullptr);
    m_downloads.append(request);
}

void WebEngineView::readPage(std::function<void(PageRead)> reply) {
    // A tab whose turn to load has not come holds nothing at all.
    if (!queuedAddress().isEmpty() || !m_page || (m_page->url().isEmpty() && !isBusy())) {
        QTimer::singleShot(0, this, [reply] { reply({PageRead::Status::NoDocument, {}, {}}); });
        return;
    }
    const QUrl requested = m_page->requestedUrl();
    runScript(scriptWithArguments(QStringLiteral("page_content.js"), {}),
              [reply, requested](const QVariant &value) {
                  const QVariantMap page = value.toMap();
                  if (!page.contains(QStringLiteral("html"))) {
                      reply({PageRead::Status::NoAnswer, {}, {}});
                      return;
                  }
                  // The engine's first, empty document answers until the page asked for
                  // arrives.
                  const bool emptyFirstDocument = page.value(QStringLiteral("url")).toString() ==
                                                      QLatin1String("about:blank") &&
                                                  requested.isValid() &&
                                                  requested != QUrl(QStringLiteral("about:blank"));
                  // A document without a root element is no page either: a discarded
                  // page answers so while it loads again.
                  const bool noRoot = page.value(QStringLiteral("html")).toString().isEmpty();
                  if (emptyFirstDocument || noRoot) {
                      reply({PageRead::Status::NoDocument, {}, {}});
                      return;
                  }
                  reply({PageRead::Status::Read, page.value(QStringLiteral("html")).toString(),
                         page.value(QStringLiteral("charset")).toString()});
              });
}

void WebEngineView::changeHtml(const QString &innerHtml, std::function<void(bool)> reply) {
    runChange(QStringLiteral("set_html.js"), {{QStringLiteral("$HTML"), innerHtml}},
              std::move(reply));
}

void WebEngineView::runChange(const QString &resource,
                              const QList<QPair<QString, QString>> &arguments,
                              std::function<void(bool)> reply) {
    QPointer<WebEngineView> self(this);
    runScript(scriptWithArguments(resource, arguments),
              [self, reply = std::move(reply)](const QVariant &value) {
                  const bool changed = value.toBool();
                  if (changed && self)
                      self->noteUserInput(); // the page now holds what the program put there
                  reply(changed);
              });
}

void WebEngineView::readArticleJson(std::function<void(QString)> reply) {
    // Mozilla's Readability, compiled in when the build found it (see src/browser/CMakeLists.txt).
    const QString readability = scriptWithArguments(QStringLiteral("readability.js"), {});
    if (readability.isEmpty()) {
        QTimer::singleShot(0, this, [reply] { reply(QString()); });
        return;
    }
    runScript(readability + QStringLiteral(";\n") +
                  scriptWithArguments(QStringLiteral("article.js"), {}),
              [reply](const QVariant &value) { reply(value.toString()); });
}

QString WebEngineView::selectedText() {
    return m_page ? m_page->selectedText() : QString();
}

QString WebEngineView::selectionType() {
    return m_page && m_page->hasSelection() ? QStringLiteral("text") : QStringLiteral("none");
}

void WebEngineView::readFocusedElementType(std::function<void(QString)> reply) {
    runScript(scriptWithArguments(QStringLiteral("focused_type.js"), {}),
              [reply](const QVariant &value) { reply(value.toString()); });
}

void WebEngineView::appendToFocusedElement(const QString &text, std::function<void(bool)> reply) {
    runChange(QStringLiteral("append_focused.js"), {{QStringLiteral("$TEXT"), text}},
              std::move(reply));
}

void WebEngineView::setValueByName(const QString &name, const QString &value,
                                   std::function<void(bool)> reply) {
    runChange(QStringLiteral("set_by_name.js"),
              {{QStringLiteral("$NAME"), name}, {QStringLiteral("$VALUE"), value}},
              std::move(reply));
}

void WebEngineView::savePageAs(const QString &path) {
    if (!m_page)
        return; // nothing to save
    if (!needsReload()) {
        m_page->save(path, QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
        return;
    }
    // Saved once the page is back.
    connect(
        m_page, &QWebEnginePage::loadFinished, this,
        [this, path] { m_page->save(path, QWebEngineDownloadRequest::CompleteHtmlSaveFormat); },
        Qt::SingleShotConnection);
    revive();
}

void WebEngineView::download(const QUrl &url) {
    m_requestedDownloads.insert(url);
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
