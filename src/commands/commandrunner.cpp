#include "commandrunner.h"

#include <QCoreApplication>
#include <QTimer>

#include <limits>

namespace commands {

namespace {

// Answers once `held` is let go. Made outside the coroutine that awaits it: g++ 12 destroys
// the temporaries of a co_await expression twice.
common::Answer<bool> letGo(std::weak_ptr<CommandRunner::Turn::Hold> held) {
    return common::Answer<bool>(
        [held](std::function<void(bool)> release) {
            if (const std::shared_ptr<CommandRunner::Turn::Hold> hold = held.lock())
                hold->release = std::move(release);
            else
                release(true);
        },
        true, std::numeric_limits<int>::max());
}

common::Task<> runAction(std::function<void()> action) {
    action();
    co_return;
}

} // namespace

CommandRunner::Job CommandRunner::now(std::function<void()> action) {
    return [action = std::move(action)] { return runAction(action); };
}

CommandRunner::TurnRequest CommandRunner::turn(const QString &name) {
    return TurnRequest(*this, name);
}

CommandRunner::TurnRequest::~TurnRequest() {
    if (!m_state)
        return;
    m_state->gone = true;
    m_state->hold.reset(); // a turn granted but never taken ends now
}

void CommandRunner::TurnRequest::await_suspend(std::coroutine_handle<> waiter) {
    m_state = std::make_shared<State>();
    m_state->waiter = waiter;
    m_runner.enqueue(m_name, [state = m_state]() -> common::Task<> {
        if (state->gone)
            co_return;
        auto hold = std::make_shared<Turn::Hold>();
        const std::weak_ptr<Turn::Hold> held = hold;
        state->hold = std::move(hold);
        QTimer::singleShot(0, QCoreApplication::instance(), [state] {
            if (!state->gone)
                state->waiter.resume();
        });
        // The command's turn lasts until the turn is let go.
        co_await letGo(held);
    });
}

CommandRunner::Turn CommandRunner::TurnRequest::await_resume() {
    return Turn(std::move(m_state->hold));
}

bool CommandRunner::runNow(const QString &name, Job job) {
    if (isBusy() || !m_queue.isEmpty())
        return false;
    start({name, std::move(job), {}});
    return true;
}

void CommandRunner::enqueue(const QString &name, Job job, std::function<void()> done) {
    m_queue.enqueue({name, std::move(job), std::move(done)});
    if (!isBusy())
        startNextLater();
}

CommandRunner::~CommandRunner() {
    endAll();
}

void CommandRunner::start(Queued queued) {
    m_running = queued.name.isEmpty() ? QStringLiteral("命令") : queued.name;
    emit started(m_running);
    m_current = std::make_unique<Running>();
    Running &running = *m_current;
    running.job = std::move(queued.job);
    running.done = std::move(queued.done);
    running.task.emplace(running.job());
    // A command that never waits has ended, and `running` is gone, when run() returns.
    running.task->run([this] { finish(); });
}

void CommandRunner::finish() {
    // Called from the end of the command's own frame, which goes with `ended`.
    const std::unique_ptr<Running> ended = std::move(m_current);
    const QString name = std::exchange(m_running, QString());
    if (ended->done)
        ended->done();
    emit finished(name);
    if (!m_queue.isEmpty())
        startNextLater();
}

void CommandRunner::stopWaits() {
    if (isBusy())
        common::stopWaits();
}

void CommandRunner::endAll() {
    m_queue.clear();
    // The frame's own guards (a progress bar, a hold on the tabs) end as it is destroyed.
    std::unique_ptr<Running> ended = std::move(m_current);
    m_running.clear();
    ended.reset();
}

// The next command starts from the event loop, never inside the end of the one before.
void CommandRunner::startNextLater() {
    QTimer::singleShot(0, this, [this] {
        if (!isBusy() && !m_queue.isEmpty())
            start(m_queue.dequeue());
    });
}

} // namespace commands
