#include "tabbarhold.h"

#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace shell {

namespace {

// While tabs keep changing, the tab bar is laid out at most this often.
constexpr qint64 kBarLayoutMs = 250;

} // namespace

TabBarHold::TabBarHold(QTabBar *bar, QObject *parent) : QObject(parent), m_bar(bar) {}

void TabBarHold::hold() {
    if (m_held || !m_bar || !m_bar->isVisible())
        return;
    // A window not yet on the screen is never held: the screen's first request to paint it
    // would be dropped, and it stayed black until resized.
    QPointer<QWidget> window = m_bar->window();
    if (!window->windowHandle() || !window->windowHandle()->isExposed())
        return;
    m_held = true;
    window->setUpdatesEnabled(false);
    m_bar->hide();
    // A bar of thousands of tabs takes long to lay out: it is laid out less often then, so
    // that its layout never takes more than about a fifth of the window's time.
    const qint64 interval = qMax(kBarLayoutMs, 5 * m_layoutCostMs);
    const qint64 sinceLayout = m_laidOut.isValid() ? m_laidOut.elapsed() : interval;
    const int wait = sinceLayout < interval ? int(interval - sinceLayout) : 0;
    QTimer::singleShot(wait, this, [this, window] {
        m_laidOut.start();
        if (m_bar)
            m_bar->show(); // lays the bar out
        m_layoutCostMs = m_laidOut.elapsed();
        m_held = false;
        if (window) {
            window->setUpdatesEnabled(true);
            window->update(); // whatever the screen asked for meanwhile
        }
    });
}

} // namespace shell
