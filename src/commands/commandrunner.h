#pragma once

#include "common/task.h"

#include <QObject>
#include <QQueue>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace commands {

// Runs the program's commands one at a time, whatever asked for them: the toolbar and its
// menus, the menu bar, the keys, the tab menu, the serial chain's steps, and other starts of
// the program. A command that waits for a page keeps its turn until it has ended.
// The runner owns the command it runs (the job and the coroutine frame it made): endAll() and
// the runner's end destroy it where it waits, so nothing of it resumes after its window.
class CommandRunner : public QObject {
    Q_OBJECT
public:
    using Job = std::function<common::Task<>()>;

    using QObject::QObject;
    ~CommandRunner() override;

    // A command that never waits, as a job.
    static Job now(std::function<void()> action);

    // A turn of the runner, held by a coroutine that is not a command of its own (the serial
    // chain, between its chapters): while it is held, no other command runs. It ends when the
    // last copy of it goes.
    class Turn {
    public:
        struct Hold;
        Turn() = default;
        explicit Turn(std::shared_ptr<Hold> hold) : m_hold(std::move(hold)) {}

    private:
        std::shared_ptr<Hold> m_hold;
    };
    class TurnRequest;
    // `const CommandRunner::Turn turn = co_await runner.turn(name);` waits until the commands
    // queued before have run and none runs; the turn ends with `turn`'s scope. A coroutine
    // destroyed while it waits gives its place up.
    TurnRequest turn(const QString &name);

    // Runs `job` at once when no command runs, and answers true; else leaves it, false.
    bool runNow(const QString &name, Job job);
    // Runs `job` when its turn comes: at once when nothing runs or waits, else after the
    // commands before it. `done` is told when it has run.
    void enqueue(const QString &name, Job job, std::function<void()> done = {});

    bool isBusy() const { return !m_running.isEmpty(); }
    // The name of the command at work ("" when none).
    const QString &running() const { return m_running; }
    int waiting() const { return int(m_queue.size()); }

    // 停止: every wait of the running command ends at once (common::stopWaits()).
    void stopWaits();
    // The window goes: the running command is destroyed where it waits, without its end
    // being told, and the waiting ones are dropped.
    void endAll();

signals:
    void started(const QString &name);
    void finished(const QString &name);

private:
    struct Queued {
        QString name;
        Job job;
        std::function<void()> done;
    };
    struct Running {
        Job job; // its captures live as long as the frame that uses them
        std::optional<common::Task<>> task;
        std::function<void()> done;
    };
    void start(Queued queued);
    void finish();
    void startNextLater();

    QString m_running;
    std::unique_ptr<Running> m_current;
    QQueue<Queued> m_queue;
};

struct CommandRunner::Turn::Hold {
    std::function<void(bool)> release;
    ~Hold() {
        if (release)
            release(true);
    }
};

class [[nodiscard]] CommandRunner::TurnRequest {
public:
    TurnRequest(CommandRunner &runner, QString name) : m_runner(runner), m_name(std::move(name)) {}
    TurnRequest(TurnRequest &&) = default;
    ~TurnRequest();

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter);
    Turn await_resume();

private:
    struct State {
        std::coroutine_handle<> waiter;
        bool gone = false;                // the waiting frame was destroyed
        std::shared_ptr<Turn::Hold> hold; // the turn, until the waiter takes it
    };
    CommandRunner &m_runner;
    QString m_name;
    std::shared_ptr<State> m_state;
};

} // namespace commands
