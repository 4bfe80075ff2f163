#pragma once

#include <QLabel>

namespace shell {

// The address of the link under the mouse, over the lower left corner of the page area (the
// widget it is made in), elided in its middle to two thirds of the area's width; hidden when
// no link is under the mouse. Clicks go through it to the page.
class HoveredLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit HoveredLinkLabel(QWidget *pageArea);

    // Shows `text`, or hides the label when it is empty.
    void showLink(const QString &text);
};

} // namespace shell
