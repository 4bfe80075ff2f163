#include "windowupdates.h"

#include <utility>

namespace shell {

WindowUpdates::WindowUpdates(Show show, int intervalMs, QObject *parent)
    : QObject(parent), m_show(std::move(show)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &WindowUpdates::showPending);
}

void WindowUpdates::set(const QString &key, const QString &text) {
    m_latest.insert(key, text);
    if (!m_timer.isActive()) {
        m_show(key, text);
        m_timer.start();
    } else if (!m_pending.contains(key)) {
        m_pending.append(key);
    }
}

void WindowUpdates::drop(const QString &key) {
    m_pending.removeAll(key);
}

void WindowUpdates::showPending() {
    if (m_pending.isEmpty())
        return; // quiet for a whole interval: the next change is shown at once
    const QStringList keys = std::exchange(m_pending, {});
    for (const QString &key : keys)
        m_show(key, m_latest.value(key));
    m_timer.start();
}

} // namespace shell
