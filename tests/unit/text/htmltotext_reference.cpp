#include "text/htmltotext_reference.h"

#include "common/textsearch.h"

namespace {

QString lower(const QString &s) {
    return common::asciiLowered(s);
}

// While `end` occurs: cut from the first `start` to the end of the first `end`. A closing
// marker with no start before it is kept, and searching goes on after it.
QString cutAll(QString s, const QString &start, const QString &end) {
    qsizetype from = 0;
    for (;;) {
        const QString low = lower(s);
        const qsizetype p2 = low.indexOf(end, from);
        if (p2 < 0)
            return s;
        const qsizetype p1 = low.indexOf(start, from);
        if (p1 < 0 || p1 > p2) {
            from = p2 + end.size();
            continue;
        }
        s = s.left(p1) + s.mid(p2 + end.size());
    }
}

QString replaceEach(QString s, const QString &what, const QString &with) {
    for (;;) {
        const qsizetype p = lower(s).indexOf(what);
        if (p < 0)
            return s;
        s = s.left(p) + with + s.mid(p + what.size());
    }
}

} // namespace

QString referenceDeleteHtmlTag(const QString &html, bool deleteLink, bool deleteScript) {
    QString s = html;
    if (deleteLink)
        s = cutAll(s, "<a", "</a>");
    if (deleteScript)
        s = cutAll(s, "<script", "</script>");
    s = replaceEach(s, "<br>", "\r\n");
    s = replaceEach(s, "<p>", "\r\n");
    s = replaceEach(s, "</p>", "\r\n");
    for (;;) {
        const qsizetype gt = s.indexOf(u'>');
        if (gt < 0)
            break;
        const qsizetype lt = s.indexOf(u'<');
        if (lt < 0 || gt < lt)
            s.remove(gt, 1);
        else
            s.remove(lt, gt - lt + 1);
    }
    s = replaceEach(s, "&lt;", "<");
    s = replaceEach(s, "&gt;", ">");
    s = replaceEach(s, "&amp;", "&");
    s = replaceEach(s, "&nbsp;", " ");
    s = replaceEach(s, "&quot;", "\"");
    return common::trimSpaces(s);
}
