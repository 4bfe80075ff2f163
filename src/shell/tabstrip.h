#pragma once

#include <QTabBar>

namespace shell {

// The tab strip. Every tab has the same size, room for a caption of kCaptionWidth pixels
// (captions are elided to it) and the loading icon: Qt lays out every tab each time one is
// added, and measuring each caption's text made opening thousands of tabs take minutes.
class TabStrip : public QTabBar {
public:
    static constexpr int kCaptionWidth = 180;

    explicit TabStrip(QWidget *parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void changeEvent(QEvent *event) override;

private:
    void measure();
    QSize m_tabSize;
};

} // namespace shell
