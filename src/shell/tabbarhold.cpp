#include "tabbarhold.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace shell {

namespace {

// While tabs keep changing, the tab bar is laid out at most this often.
constexpr qint64 kBarLayoutMs = 250;

} // namespace

TabBarHold::TabBarHold(QTabBar *bar, QObject *parent) : QObject(parent), m_bar(bar) {
    // A hidden bar keeps its room, so the pages below it do not move up and down.
    QSizePolicy policy = bar->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    bar->setSizePolicy(policy);
}

TabBarHold::~TabBarHold() {
    delete m_cover;
}

void TabBarHold::hold() {
    if (m_held || !m_bar || !m_bar->isVisible() || !m_bar->parentWidget())
        return;
    // A window not yet on the screen is never held: its first layout comes with its first paint.
    const QWindow *handle = m_bar->window()->windowHandle();
    if (!handle || !handle->isExposed())
        return;
    m_held = true;
    if (!m_cover) {
        m_cover = new QLabel(m_bar->parentWidget());
        m_cover->setObjectName(QStringLiteral("tabStripPicture"));
        m_cover->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_cover->setPixmap(m_bar->grab());
    m_cover->setGeometry(m_bar->geometry());
    m_cover->show();
    m_cover->raise();
    m_bar->hide();
    // A bar of thousands of tabs takes long to lay out: it is laid out less often then, so
    // that its layout never takes more than about a fifth of the window's time.
    const qint64 interval = qMax(kBarLayoutMs, 5 * m_layoutCostMs);
    const qint64 sinceLayout = m_laidOut.isValid() ? m_laidOut.elapsed() : interval;
    const int wait = sinceLayout < interval ? int(interval - sinceLayout) : 0;
    QTimer::singleShot(wait, this, &TabBarHold::release);
}

void TabBarHold::release() {
    m_laidOut.start();
    if (m_bar)
        m_bar->show(); // lays the bar out
    m_layoutCostMs = m_laidOut.elapsed();
    if (m_cover)
        m_cover->hide();
    m_held = false;
}

} // namespace shell
