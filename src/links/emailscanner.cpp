#include "emailscanner.h"

#include "common/lineends.h"
#include <QSet>

namespace links {

namespace {

// The characters of a dot-atom local part that a page can hold without ambiguity: RFC 5322
// allows ' = ? / & ` { } | as well, but in markup they end attribute values, URL queries and
// script strings ("?to=a@b.example" is the address a@b.example), so they end the local part.
bool isLocalPartChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
           u == u'.' || u == u'!' || u == u'#' || u == u'$' || u == u'%' || u == u'*' ||
           u == u'+' || u == u'-' || u == u'^' || u == u'_' || u == u'~';
}

// Domain labels are ASCII (letters, digits, "-") or, in internationalised names, made of other
// letters and digits; a label never mixes the two, so "example.com谢谢" ends after "com".
int labelClass(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
        u == u'-')
        return 1;
    return u > 0x7F && c.isLetterOrNumber() ? 2 : 0;
}

// Endings of file names that are no top-level domains: "logo@2x.png" names a picture.
bool isFileEnding(QStringView label) {
    static const QStringView endings[] = {
        u"png",  u"jpg", u"jpeg", u"gif", u"bmp",  u"svg", u"webp", u"ico",  u"tif", u"tiff",
        u"avif", u"css", u"js",   u"htm", u"html", u"php", u"asp",  u"aspx", u"jsp", u"txt"};
    for (QStringView ending : endings) {
        if (label.compare(ending, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isDomain(QStringView domain) {
    const qsizetype lastDot = domain.lastIndexOf(u'.');
    if (lastDot <= 0 || domain.startsWith(u'-') || domain.contains(u".."))
        return false;
    const QStringView last = domain.sliced(lastDot + 1);
    bool letters = !last.isEmpty();
    bool ascii = true;
    for (QChar c : last) {
        letters = letters && c.isLetter();
        ascii = ascii && c.unicode() < 0x80;
    }
    return letters && (!ascii || last.size() >= 2) && !isFileEnding(last);
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
        while (start > 0 && isLocalPartChar(html[start - 1]))
            --start;
        while (start < at && html[start] == u'.')
            ++start;
        qsizetype end = at + 1;
        int label = 0;
        while (end < html.size()) {
            const QChar c = html[end];
            const int kind = c == u'.' ? -1 : labelClass(c);
            if (kind == 0 || (kind > 0 && label > 0 && kind != label))
                break;
            label = kind < 0 ? 0 : kind;
            ++end;
        }
        while (end > at + 1 && (html[end - 1] == u'.' || html[end - 1] == u'-'))
            --end;
        const QStringView local = html.sliced(start, at - start);
        if (local.isEmpty() || local.endsWith(u'.') || local.contains(u"..") ||
            !isDomain(html.sliced(at + 1, end - at - 1)))
            continue;
        found.append(html.sliced(start, end - start).toString());
    }
    return found;
}

QStringList emailsToAppend(QStringView previousContent, const QStringList &addresses) {
    QStringList chosen;
    QSet<QString> written;
    for (const QString &address : addresses) {
        const qsizetype first = previousContent.indexOf(address);
        if (first >= 0 && lineAround(previousContent, first) == address)
            continue;
        if (written.contains(address))
            continue;
        chosen.append(address);
        written.insert(address);
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
