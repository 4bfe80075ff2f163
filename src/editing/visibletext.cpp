#include "visibletext.h"

#include "common/textsearch.h"

namespace editing {

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The end of the tag starting at `lt` (one past its ">"), quotes respected.
qsizetype tagEnd(QStringView html, qsizetype lt) {
    QChar quote;
    for (qsizetype i = lt + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            // Only a quote that opens an attribute value: after "=" and optional blanks.
            qsizetype before = i - 1;
            while (before > lt && html[before].isSpace())
                --before;
            if (html[before] == u'=')
                quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

// The lower-case name of the start tag at `lt` ("script" for "<SCRIPT src=...>").
QString startTagName(QStringView html, qsizetype lt) {
    qsizetype i = lt + 1;
    while (i < html.size() && (html[i].isLetterOrNumber() || html[i] == u'-'))
        ++i;
    return common::asciiLowered(html.sliced(lt + 1, i - lt - 1));
}

bool hidesItsContent(const QString &tagName) {
    return tagName == u"script" || tagName == u"style" || tagName == u"title" ||
           tagName == u"noscript" || tagName == u"template" || tagName == u"textarea";
}

} // namespace

QList<TextRange> visibleTextRanges(QStringView html) {
    QList<TextRange> ranges;
    qsizetype textStart = 0;
    qsizetype pos = 0;
    const auto closeText = [&](qsizetype end) {
        if (end > textStart)
            ranges.append({textStart, end});
    };
    while (pos < html.size()) {
        const qsizetype lt = html.indexOf(u'<', pos);
        if (lt < 0 || lt + 1 >= html.size())
            break;
        const QChar next = html[lt + 1];
        if (!isAsciiLetter(next) && next != u'/' && next != u'!' && next != u'?') {
            pos = lt + 1; // "a < b": text
            continue;
        }
        closeText(lt);
        qsizetype end = 0;
        if (html.sliced(lt).startsWith(u"<!--")) {
            const qsizetype close = html.indexOf(u"-->", lt + 4);
            end = close < 0 ? html.size() : close + 3;
        } else if (isAsciiLetter(next)) {
            end = tagEnd(html, lt);
            const QString name = startTagName(html, lt);
            if (hidesItsContent(name) && !html.sliced(lt, end - lt).endsWith(u"/>")) {
                const qsizetype close =
                    common::indexOfCI(html, QString(QStringLiteral("</") + name), end);
                end = close < 0 ? html.size() : tagEnd(html, close);
            }
        } else {
            end = tagEnd(html, lt);
        }
        textStart = pos = end;
    }
    closeText(html.size());
    return ranges;
}

qsizetype indexOfVisible(QStringView html, QStringView text) {
    if (text.isEmpty())
        return -1;
    for (const TextRange &range : visibleTextRanges(html)) {
        const qsizetype at = html.sliced(range.start, range.end - range.start).indexOf(text);
        if (at >= 0)
            return range.start + at;
    }
    return -1;
}

} // namespace editing
