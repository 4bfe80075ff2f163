#include "emailscanner.h"

#include "common/lineends.h"

namespace links {

namespace {

bool isAddressChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
           u == u'_' || u == u'-' || u == u'.';
}

// The line of `content` that holds position `pos`, whatever its line ends (CR LF, LF, CR).
QStringView lineAround(QStringView content, qsizetype pos) {
    const qsizetype start = common::lineStartBefore(content, pos);
    return content.sliced(start, common::lineEndFrom(content, pos) - start);
}

} // namespace

QStringList scanEmails(QStringView html) {
    QStringList found;
    for (qsizetype at = html.indexOf(u'@'); at >= 0; at = html.indexOf(u'@', at + 1)) {
        qsizetype start = at;
        while (start > 0 && isAddressChar(html[start - 1]))
            --start;
        qsizetype end = at + 1;
        while (end < html.size() && isAddressChar(html[end]))
            ++end;
        while (end > at + 1 && html[end - 1] == u'.')
            --end;
        if (start == at || end == at + 1)
            continue;
        found.append(html.sliced(start, end - start).toString());
    }
    return found;
}

QStringList emailsToAppend(QStringView previousContent, const QStringList &addresses) {
    QStringList chosen;
    QString lastWritten;
    for (const QString &address : addresses) {
        const qsizetype first = previousContent.indexOf(address);
        if (first >= 0 && lineAround(previousContent, first) == address)
            continue;
        if (address == lastWritten)
            continue;
        chosen.append(address);
        lastWritten = address;
    }
    return chosen;
}

QString emailRecords(const QStringList &addresses, const QString &pageUrl, const QString &title) {
    QString out;
    for (const QString &address : addresses)
        out += address + QStringLiteral("\r\n") + pageUrl + QStringLiteral("\r\n") + title +
               QStringLiteral("\r\n");
    return out;
}

} // namespace links
