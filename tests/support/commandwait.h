#pragma once

#include "common/task.h"
#include "shell/commands.h"
#include "support/waitfor.h"

#include <memory>

// Commands end later when they wait for a page: tests run them to their end.
namespace testing_support {

// Runs a command to its end; false when it has not ended within `ms`.
inline bool finish(common::Task<> task, int ms = 15000) {
    auto done = std::make_shared<bool>(false);
    std::move(task).start([done] { *done = true; });
    return waitFor([done] { return *done; }, ms);
}

// Until no command runs or waits its turn.
inline bool untilIdle(shell::Commands &commands, int ms = 15000) {
    return waitFor(
        [&commands] { return !commands.runner().isBusy() && commands.runner().waiting() == 0; },
        ms);
}

// A menu entry chosen, or a button clicked, as the user does, and its command run to its end.
inline void chooseEntry(shell::Commands &commands, const QString &key,
                        const QString &caption = {}) {
    commands.runMenuEntry(key, caption);
    untilIdle(commands);
}

inline void clickButton(shell::Commands &commands, const QString &key) {
    commands.runButton(key);
    untilIdle(commands);
}

} // namespace testing_support
