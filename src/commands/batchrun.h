#pragma once

#include "commands/commandcontext.h"

namespace commands {

// One batch save as the progress bar shows it, from its construction to its end: each page
// advances it, and the user may ask it to stop between two pages.
class BatchRun {
public:
    BatchRun(CommandContext &context, int total);
    ~BatchRun();
    BatchRun(const BatchRun &) = delete;
    BatchRun &operator=(const BatchRun &) = delete;

    // Asked before each page: true once the user has asked to stop.
    bool stopRequested();
    // One more page handled; `saved` of them were saved.
    void pageDone(int saved);

private:
    BatchProgress *m_progress;
    int m_total;
    int m_handled = 0;
};

} // namespace commands
