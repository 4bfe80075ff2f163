#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace testing_support {

// Runs the event loop until `condition` holds or `ms` have passed; true when it held.
// Unlike QTest::qWaitFor it never sleeps between events: the engine's messages are handled
// as they come, so a page loads as fast as it does in the program.
inline bool waitFor(const std::function<bool()> &condition, int ms = 15000) {
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(5);
    deadline.start(ms);
    loop.exec();
    return condition();
}

// Runs the event loop for `ms` milliseconds.
inline void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace testing_support
