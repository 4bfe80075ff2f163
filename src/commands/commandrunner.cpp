#include "commandrunner.h"

#include <QTimer>

namespace commands {

namespace {

common::Task<> runAction(std::function<void()> action) {
    action();
    co_return;
}

} // namespace

CommandRunner::Job CommandRunner::now(std::function<void()> action) {
    return [action = std::move(action)] { return runAction(action); };
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

void CommandRunner::start(Queued queued) {
    m_running = queued.name.isEmpty() ? QStringLiteral("命令") : queued.name;
    emit started(m_running);
    queued.job().start([this, done = std::move(queued.done)] {
        const QString name = std::exchange(m_running, QString());
        if (done)
            done();
        emit finished(name);
        if (!m_queue.isEmpty())
            startNextLater();
    });
}

// The next command starts from the event loop, never inside the end of the one before.
void CommandRunner::startNextLater() {
    QTimer::singleShot(0, this, [this] {
        if (!isBusy() && !m_queue.isEmpty())
            start(m_queue.dequeue());
    });
}

} // namespace commands
