#include "tabcaption.h"

#include <QFontMetrics>

namespace shell {

QString tabCaption(int viewNumber, const QString &title, const QUrl &url, bool marked,
                   const QFontMetrics &metrics, int maxWidth) {
    QString name = title.simplified();
    if (name.isEmpty())
        name = url.isEmpty() ? QStringLiteral("新网页") : url.toDisplayString();
    const QString prefix =
        (marked ? QStringLiteral("★") : QString()) + QString::number(viewNumber) + u' ';
    return prefix + metrics.elidedText(name, Qt::ElideRight,
                                       qMax(maxWidth - metrics.horizontalAdvance(prefix), 20));
}

QString tabToolTip(const QString &title, const QUrl &url, bool marked) {
    QString tip = title.isEmpty() ? url.toDisplayString()
                                  : title + u'\n' + url.toDisplayString();
    if (marked)
        tip += QStringLiteral("\n（已做标记：删除所有网页时保留）");
    return tip;
}

} // namespace shell
