#include "groups.h"

#include "common/lineends.h"

namespace editing {

QStringList groupAddresses(QStringView file) {
    QStringList addresses;
    for (const QString &raw : common::splitLines(file)) {
        const QString line = raw.trimmed();
        const qsizetype open = line.indexOf(u'(');
        const qsizetype close = open < 0 ? -1 : line.indexOf(u')', open + 1);
        // A ")" only before the "(" names no address: the line is taken whole.
        addresses.append(open >= 0 && close >= 0 ? line.mid(open + 1, close - open - 1) : line);
    }
    return addresses;
}

} // namespace editing

namespace editing {

QString groupFileText(const QList<GroupPage> &pages) {
    QString text;
    for (const GroupPage &page : pages) {
        QString title = page.title.simplified();
        title.replace(u'(', QStringLiteral("（")).replace(u')', QStringLiteral("）"));
        QString address = page.address.trimmed();
        address.replace(u'(', QStringLiteral("%28")).replace(u')', QStringLiteral("%29"));
        text += title + u'(' + address + QStringLiteral(")\r\n");
    }
    return text;
}

} // namespace editing
