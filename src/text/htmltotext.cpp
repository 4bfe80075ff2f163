#include "htmltotext.h"

#include "common/textsearch.h"

namespace text {

namespace {

using common::asciiLower;
using common::indexOfCI;
using common::matchesAt;

// The text being edited is `out` followed by the unread rest of the input, in[cursor..].
// `out` only ever changes at its end, so an occurrence that starts inside `out` must reach
// into the rest; occurrences that lie wholly in the rest are found in the input itself and
// cached, since the rest is an unchanged piece of the input.
class CutScanner {
public:
    explicit CutScanner(QStringView in) : m_in(in) { m_out.reserve(in.size()); }

    // Repeats "cut from the first `start` to the end of the first `end`" while `end` occurs.
    QString run(QStringView start, QStringView end) {
        Cache startCache;
        Cache endCache;
        qsizetype frozen = 0;
        qsizetype startBound = 0;
        qsizetype endBound = 0;
        for (;;) {
            const qsizetype p2 = find(end, qMax(frozen, endBound), endCache);
            if (p2 < 0)
                break;
            const qsizetype p1 = find(start, qMax(frozen, startBound), startCache);
            if (p1 < 0 || p1 > p2) {
                // A closing tag without an opening one before it: keep it and go on after it.
                frozen = p2 + end.size();
                continue;
            }
            const qsizetype oldOut = m_out.size();
            if (p1 < oldOut)
                m_out.truncate(p1);
            else
                m_out.append(m_in.sliced(m_cursor, p1 - oldOut));
            m_cursor += p2 + end.size() - oldOut;
            // Text before the cut had no occurrence; new ones can only straddle the cut.
            startBound = p1 - start.size() + 1;
            endBound = p1 - end.size() + 1;
        }
        m_out.append(m_in.sliced(m_cursor));
        return m_out;
    }

private:
    struct Cache {
        qsizetype from = -1; // input index the cached search started at
        qsizetype hit = -1;  // its result (-1: none at or after `from`)
    };

    char16_t at(qsizetype v) const {
        return v < m_out.size() ? m_out[v].unicode() : m_in[m_cursor + v - m_out.size()].unicode();
    }
    qsizetype length() const { return m_out.size() + m_in.size() - m_cursor; }

    // First occurrence of `pattern` at or after position `bound` of the edited text, -1 if none.
    qsizetype find(QStringView pattern, qsizetype bound, Cache &cache) {
        const qsizetype outSize = m_out.size();
        for (qsizetype p = qMax(bound, outSize - pattern.size() + 1); p < outSize; ++p) {
            if (p + pattern.size() > length())
                break;
            qsizetype k = 0;
            while (k < pattern.size() && asciiLower(at(p + k)) == pattern[k].unicode())
                ++k;
            if (k == pattern.size())
                return p;
        }
        const qsizetype inFrom = m_cursor + qMax<qsizetype>(0, bound - outSize);
        if (cache.from < 0 || inFrom < cache.from || (cache.hit >= 0 && cache.hit < inFrom)) {
            cache.from = inFrom;
            cache.hit = indexOfCI(m_in, pattern, inFrom);
        }
        return cache.hit < 0 ? -1 : outSize + (cache.hit - m_cursor);
    }

    QStringView m_in;
    QString m_out;
    qsizetype m_cursor = 0;
};

QString replaceBreakTags(QStringView s) {
    QString out;
    out.reserve(s.size());
    qsizetype copyFrom = 0;
    for (qsizetype lt = s.indexOf(u'<'); lt >= 0; lt = s.indexOf(u'<', lt + 1)) {
        qsizetype tagLength = 0;
        if (matchesAt(s, lt, u"<br>") || matchesAt(s, lt, u"</p>"))
            tagLength = 4;
        else if (matchesAt(s, lt, u"<p>"))
            tagLength = 3;
        if (tagLength == 0)
            continue;
        out.append(s.sliced(copyFrom, lt - copyFrom));
        out.append(u"\r\n");
        copyFrom = lt + tagLength;
        lt = copyFrom - 1;
    }
    out.append(s.sliced(copyFrom));
    return out;
}

// The text already passed holds neither "<" nor ">", so the first of each in the rest is
// the first in the whole text.
QString removeTags(QStringView s) {
    QString out;
    out.reserve(s.size());
    qsizetype i = 0;
    for (;;) {
        const qsizetype gt = s.indexOf(u'>', i);
        if (gt < 0)
            break;
        const qsizetype lt = s.sliced(i, gt - i).indexOf(u'<');
        out.append(s.sliced(i, lt < 0 ? gt - i : lt));
        i = gt + 1;
    }
    out.append(s.sliced(i));
    return out;
}

// &lt; and &gt; first; then &amp;, whose "&" may start another &amp;, &nbsp; or &quot;.
QString decodeEntities(QStringView s) {
    QString out;
    out.reserve(s.size());
    qsizetype copyFrom = 0;
    qsizetype amp = s.indexOf(u'&');
    while (amp >= 0) {
        QChar replacement;
        qsizetype next = amp + 1;
        if (matchesAt(s, amp, u"&lt;")) {
            replacement = u'<';
            next = amp + 4;
        } else if (matchesAt(s, amp, u"&gt;")) {
            replacement = u'>';
            next = amp + 4;
        } else {
            qsizetype k = amp + 1;
            while (matchesAt(s, k, u"amp;"))
                k += 4;
            if (matchesAt(s, k, u"nbsp;")) {
                replacement = u' ';
                next = k + 5;
            } else if (matchesAt(s, k, u"quot;")) {
                replacement = u'"';
                next = k + 5;
            } else if (k > amp + 1) {
                replacement = u'&';
                next = k;
            }
        }
        if (!replacement.isNull()) {
            out.append(s.sliced(copyFrom, amp - copyFrom));
            out.append(replacement);
            copyFrom = next;
        }
        amp = s.indexOf(u'&', next);
    }
    out.append(s.sliced(copyFrom));
    return out;
}

} // namespace

QString deleteHtmlTag(QStringView html, bool deleteLink, bool deleteScript) {
    QString s = html.toString();
    if (deleteLink)
        s = CutScanner(s).run(u"<a", u"</a>");
    if (deleteScript)
        s = CutScanner(s).run(u"<script", u"</script>");
    s = replaceBreakTags(s);
    s = removeTags(s);
    s = decodeEntities(s);
    return common::trimSpaces(s);
}

} // namespace text
