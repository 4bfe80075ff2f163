#include "hoveredlinklabel.h"

namespace shell {

HoveredLinkLabel::HoveredLinkLabel(QWidget *pageArea) : QLabel(pageArea) {
    setObjectName(QStringLiteral("hoveredLink"));
    setAutoFillBackground(true);
    setFrameShape(QFrame::StyledPanel);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void HoveredLinkLabel::showLink(const QString &text) {
    if (text.isEmpty()) {
        hide();
        return;
    }
    const QWidget *area = parentWidget();
    setText(fontMetrics().elidedText(text, Qt::ElideMiddle, area->width() * 2 / 3));
    adjustSize();
    move(0, area->height() - height());
    raise();
    show();
}

} // namespace shell
