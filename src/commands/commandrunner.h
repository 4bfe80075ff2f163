#pragma once

#include "common/task.h"

#include <QObject>
#include <QQueue>
#include <QString>

#include <functional>

namespace commands {

// Runs the program's commands one at a time, whatever asked for them: the toolbar and its
// menus, the menu bar, the keys, the tab menu, the serial chain's steps, and other starts of
// the program. A command that waits for a page keeps its turn until it has ended.
class CommandRunner : public QObject {
    Q_OBJECT
public:
    using Job = std::function<common::Task<>()>;

    using QObject::QObject;

    // A command that never waits, as a job.
    static Job now(std::function<void()> action);

    // Runs `job` at once when no command runs, and answers true; else leaves it, false.
    bool runNow(const QString &name, Job job);
    // Runs `job` when its turn comes: at once when nothing runs or waits, else after the
    // commands before it. `done` is told when it has run.
    void enqueue(const QString &name, Job job, std::function<void()> done = {});

    bool isBusy() const { return !m_running.isEmpty(); }
    // The name of the command at work ("" when none).
    const QString &running() const { return m_running; }
    int waiting() const { return int(m_queue.size()); }

signals:
    void started(const QString &name);
    void finished(const QString &name);

private:
    struct Queued {
        QString name;
        Job job;
        std::function<void()> done;
    };
    void start(Queued queued);
    void startNextLater();

    QString m_running;
    QQueue<Queued> m_queue;
};

} // namespace commands
