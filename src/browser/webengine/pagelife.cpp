#include "pagelife.h"

#include "reloadcover.h"

#include <QEvent>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWidget>

namespace browser {

namespace {

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

PageLife::PageLife(QWidget *container, QObject *parent)
    : QObject(parent), m_container(container), m_cover(new ReloadCover(container)) {
    container->installEventFilter(this);
}

void PageLife::attach(QWebEnginePage *page) {
    m_page = page;
}

QString PageLife::crashNotice(QWebEnginePage::RenderProcessTerminationStatus status,
                              bool inputLost) {
    const QString cause = status == QWebEnginePage::KilledTerminationStatus
                              ? QStringLiteral("被结束了（也许是内存不够）")
                          : status == QWebEnginePage::CrashedTerminationStatus
                              ? QStringLiteral("崩溃了")
                              : QStringLiteral("意外退出了");
    return QStringLiteral("显示这个网页的进程%1。%2按“刷新网页”按钮重新载入这个网页。")
        .arg(cause, inputLost ? QStringLiteral("在这个网页里填写或改动的内容已经丢失。")
                              : QString());
}

LifeState PageLife::state() const {
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

void PageLife::setState(LifeState state) {
    // The engine refuses (with a warning) to freeze or discard a page that is shown.
    if (!m_page || (state != LifeState::Active && m_page->isVisible()))
        return;
    if (state == LifeState::Active && needsReload()) {
        revive();
        return;
    }
    if (state == LifeState::Discarded)
        m_discardAsked = true;
    if (state != LifeState::Active)
        m_reviving = false; // let go again before it was back: the next read brings it back
    m_page->setLifecycleState(engineState(state));
}

bool PageLife::needsReload() const {
    return m_letGo ||
           (m_page && m_page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded);
}

void PageLife::revive() {
    const bool letGo = m_letGo;
    m_letGo = false;
    m_discardAsked = false;
    m_reviving = true;
    if (m_page->lifecycleState() != QWebEnginePage::LifecycleState::Active)
        m_page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    // A page whose renderer ended is not brought back by the engine itself.
    if (letGo)
        m_page->triggerAction(QWebEnginePage::Reload);
}

// One load brings the page back for everyone: a second read while the first waits joins the
// same wait instead of reading the half-made page (it was answered with nothing).
void PageLife::whenBack(QObject *context, std::function<void()> then) {
    if (!comingBack()) {
        then();
        return;
    }
    connect(m_page, &QWebEnginePage::loadFinished, context, std::move(then),
            Qt::SingleShotConnection);
    if (needsReload())
        revive();
}

void PageLife::noteLoadStarted() {
    m_rendererGone = false;
    m_discardAsked = false;
    m_letGo = false;
}

void PageLife::noteLoadFinished() {
    m_reviving = false;
    m_cover->hide();
}

bool PageLife::noteRendererEnded(QWebEnginePage::RenderProcessTerminationStatus status) {
    m_reviving = false;
    m_cover->hide();
    // A renderer shared with other tabs ends normally once the program has let all its pages
    // go: the page comes back when shown or read.
    if (m_page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded ||
        (m_discardAsked && status == QWebEnginePage::NormalTerminationStatus)) {
        m_letGo = true;
        return false;
    }
    m_rendererGone = true;
    return true;
}

bool PageLife::mustStayActive() const {
    if (!m_page)
        return false;
    if (m_rendererGone || m_page->recentlyAudible())
        return true;
    for (const QPointer<QWebEngineDownloadRequest> &download : m_downloads) {
        if (download && !download->isFinished())
            return true;
    }
    return false;
}

void PageLife::trackDownload(QWebEngineDownloadRequest *request) {
    m_downloads.removeAll(nullptr);
    m_downloads.append(request);
}

// Shown, a page the program let go loads again: the engine's by itself (its widget is shown
// first), one whose renderer ended by revive(). Until it has loaded, the tab shows what it was.
bool PageLife::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_container || event->type() != QEvent::Show || !m_page)
        return false;
    if (m_discardAsked || needsReload())
        m_cover->cover(m_page->title(), m_page->url().toDisplayString());
    if (m_letGo)
        QTimer::singleShot(0, this, [this] {
            if (m_letGo)
                revive();
        });
    return false;
}

} // namespace browser
