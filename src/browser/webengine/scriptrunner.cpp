#include "scriptrunner.h"

#include "pagelife.h"

#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace browser {

namespace {

// How long a read waits for a discarded page to load again.
constexpr int kReloadForReadingMs = 30000;

// One script run: answers once, with the script's value or an invalid one, and with an
// invalid one when it is dropped unanswered (its view went away).
class PendingRun : public QObject {
public:
    PendingRun(QObject *parent, std::function<void(QVariant)> reply)
        : QObject(parent), m_reply(std::move(reply)) {}
    ~PendingRun() override { finish(QVariant()); }

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

ScriptRunner::ScriptRunner(PageLife *life, QObject *parent) : QObject(parent), m_life(life) {}

void ScriptRunner::attach(QWebEnginePage *page) {
    m_page = page;
}

void ScriptRunner::run(const QString &script, std::function<void(QVariant)> reply, int timeoutMs) {
    QPointer<ScriptRunner> self(this);
    ++m_running;
    auto *pending = new PendingRun(this, [self, reply = std::move(reply)](const QVariant &value) {
        if (self)
            --self->m_running;
        reply(value);
    });
    if (!m_page || m_life->rendererGone()) {
        pending->finishLater(QVariant());
        return;
    }
    QPointer<PendingRun> guard(pending);
    QPointer<QWebEnginePage> page(m_page);
    const auto start = [page, guard, script] {
        if (!guard || !page)
            return;
        page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                            [guard](const QVariant &value) {
                                if (guard)
                                    guard->finish(value);
                            });
    };
    // The view reports the renderer's end to the page's life before this hears of it.
    connect(m_page, &QWebEnginePage::renderProcessTerminated, pending, [this, pending] {
        if (m_life->rendererGone())
            pending->finish(QVariant());
    });
    if (m_life->comingBack()) {
        // Read once the page is back; a load that fails still ends the wait.
        const bool reloads = m_life->needsReload();
        QTimer::singleShot(kReloadForReadingMs + timeoutMs, pending,
                           [pending] { pending->finish(QVariant()); });
        m_life->whenBack(pending, [this, start, reloads] {
            if (reloads)
                emit reloadedForReading();
            start();
        });
        return;
    }
    connect(m_page, &QWebEnginePage::loadStarted, pending,
            [pending] { pending->finish(QVariant()); });
    QTimer::singleShot(timeoutMs, pending, [pending] { pending->finish(QVariant()); });
    if (m_page->lifecycleState() == QWebEnginePage::LifecycleState::Frozen)
        m_page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    start();
}

} // namespace browser
