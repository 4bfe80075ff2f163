#include "visibletext.h"

#include "common/tagscan.h"
#include "common/textsearch.h"

namespace editing {

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The end of the tag starting at `lt` (one past its ">"); a tag cut short runs to the end.
qsizetype tagEnd(QStringView html, qsizetype lt) {
    const qsizetype end = common::tagEnd(html, lt);
    return end < 0 ? html.size() : end;
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
            const QString name = common::tagName(html, lt);
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
