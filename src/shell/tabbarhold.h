#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTabBar>

class QLabel;

namespace shell {

// QTabBar lays out all its tabs on every change while it is shown: opening or closing
// thousands of tabs one by one cost the square of their number. A hold lays the bar out once,
// at the end of this turn of the event loop, whatever changes come meanwhile; while holds keep
// coming (a batch of thousands of tabs), at most every 250 ms. Meanwhile the bar is hidden
// (its place in the layout kept) under a picture of how it looked. Only the bar is held: the
// window's painting is never switched off, so nothing a timer misses can freeze the picture.
class TabBarHold : public QObject {
    Q_OBJECT
public:
    TabBarHold(QTabBar *bar, QObject *parent);
    ~TabBarHold() override;

    void hold(); // nothing while the bar is hidden or already held

private:
    void release();

    QPointer<QTabBar> m_bar;
    QPointer<QLabel> m_cover; // the bar's last picture, shown in its place while held
    bool m_held = false;
    QElapsedTimer m_laidOut;   // since the bar was last laid out after a hold
    qint64 m_layoutCostMs = 0; // how long that layout took
};

} // namespace shell
