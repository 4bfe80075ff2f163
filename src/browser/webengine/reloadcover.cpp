#include "reloadcover.h"

#include <QEvent>

namespace browser {

ReloadCover::ReloadCover(QWidget *tab) : QLabel(tab) {
    setObjectName(QStringLiteral("reloadCover"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::PlaceholderText);
    hide();
    tab->installEventFilter(this);
}

void ReloadCover::cover(const QString &title, const QString &address) {
    const QString reloading = QStringLiteral("正在重新载入这个网页（为节省内存释放过）……");
    setText(title.isEmpty() ? QStringLiteral("%1\n\n%2").arg(address, reloading)
                            : QStringLiteral("%1\n\n%2\n%3").arg(title, reloading, address));
    setGeometry(parentWidget()->rect());
    raise();
    show();
}

void ReloadCover::mousePressEvent(QMouseEvent *) {
    hide();
}

bool ReloadCover::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}

} // namespace browser
