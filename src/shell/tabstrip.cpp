#include "tabstrip.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOptionTab>

namespace shell {

TabStrip::TabStrip(QWidget *parent) : QTabBar(parent) {
    measure();
}

QSize TabStrip::tabSizeHint(int) const {
    return m_tabSize;
}

void TabStrip::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        measure();
    QTabBar::changeEvent(event);
}

void TabStrip::measure() {
    QStyleOptionTab option;
    option.initFrom(this);
    const int hSpace = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this);
    const int vSpace = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this);
    const QSize icon = iconSize();
    const int height = qMax(fontMetrics().height(), icon.height()) + vSpace;
    m_tabSize =
        style()->sizeFromContents(QStyle::CT_TabBarTab, &option,
                                  QSize(kCaptionWidth + icon.width() + 4 + hSpace, height), this);
}

} // namespace shell
