#include "batchrun.h"

namespace commands {

BatchRun::BatchRun(CommandContext &context, int total)
    : m_progress(context.progress), m_total(total) {
    if (m_progress)
        m_progress->begin(total);
}

BatchRun::~BatchRun() {
    if (m_progress)
        m_progress->end();
}

bool BatchRun::stopRequested() {
    return m_progress && m_progress->stopRequested();
}

void BatchRun::pageDone(int saved) {
    ++m_handled;
    if (m_progress)
        m_progress->advance(
            m_handled,
            QStringLiteral("已保存 %1/%2，已处理 %3").arg(saved).arg(m_total).arg(m_handled));
}

} // namespace commands
