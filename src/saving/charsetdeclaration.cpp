#include "charsetdeclaration.h"

#include "common/textsearch.h"

namespace saving {

namespace {

bool endsValue(QChar c) {
    return c == u'"' || c == u'\'' || c == u';' || c == u'>' || c == u' ' || c == u'\t' ||
           c == u'\r' || c == u'\n' || c == u'/';
}

} // namespace

QString declareCharset(QStringView html, const QString &charset) {
    QString out;
    out.reserve(html.size() + 32);
    qsizetype copied = 0;
    bool declared = false;
    for (qsizetype meta = common::indexOfCI(html, u"<meta"); meta >= 0;
         meta = common::indexOfCI(html, u"<meta", meta + 5)) {
        const qsizetype end = html.indexOf(u'>', meta);
        if (end < 0)
            break;
        const QStringView tag = html.sliced(meta, end - meta);
        const qsizetype key = common::indexOfCI(tag, u"charset=");
        if (key < 0)
            continue;
        qsizetype valueStart = meta + key + 8;
        if (valueStart < end && (html[valueStart] == u'"' || html[valueStart] == u'\''))
            ++valueStart;
        qsizetype valueEnd = valueStart;
        while (valueEnd < end && !endsValue(html[valueEnd]))
            ++valueEnd;
        out.append(html.sliced(copied, valueStart - copied));
        out.append(charset);
        copied = valueEnd;
        declared = true;
    }
    out.append(html.sliced(copied));
    if (declared)
        return out;
    const QString meta = QStringLiteral("<meta charset=\"%1\">").arg(charset);
    const qsizetype head = common::indexOfCI(out, u"<head");
    const qsizetype headEnd = head < 0 ? -1 : out.indexOf(u'>', head);
    // "<header>" is not the head element.
    if (headEnd >= 0 && (out[head + 5] == u'>' || out[head + 5] == u' '))
        return out.insert(headEnd + 1, meta);
    return meta + out;
}

} // namespace saving
