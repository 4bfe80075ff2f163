#pragma once

#include <QString>

namespace commands {

// A long batch as the user follows it: a bar with a line of counts, and a way to stop it
// (the 停止 button, Esc). The status bar implements it; tests use a fake.
class BatchProgress {
public:
    virtual ~BatchProgress() = default;
    // A batch of `total` steps begins.
    virtual void begin(int total) = 0;
    // `done` steps are over; `line` says where the batch stands ("已保存 3/10").
    virtual void advance(int done, const QString &line) = 0;
    // Whether the user asked the batch to stop since begin().
    virtual bool stopRequested() = 0;
    virtual void end() = 0;
};

} // namespace commands
