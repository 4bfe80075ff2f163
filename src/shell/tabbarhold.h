#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTabBar>

namespace shell {

// QTabBar lays out all its tabs on every change while it is shown: opening or closing
// thousands of tabs one by one cost the square of their number. A hold lays the bar out once,
// at the end of this turn of the event loop, whatever changes come meanwhile; while holds keep
// coming (a batch of thousands of tabs), at most every 250 ms, the window's painting held.
class TabBarHold : public QObject {
    Q_OBJECT
public:
    TabBarHold(QTabBar *bar, QObject *parent);

    void hold(); // nothing while the bar is hidden or already held

private:
    QPointer<QTabBar> m_bar;
    bool m_held = false;
    QElapsedTimer m_laidOut;   // since the bar was last laid out after a hold
    qint64 m_layoutCostMs = 0; // how long that layout took
};

} // namespace shell
