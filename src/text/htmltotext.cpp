#include "htmltotext.h"

#include "common/textsearch.h"

#include <cstring>

namespace text {

namespace {

using common::asciiLower;
using common::indexOfCI;
using common::matchesAt;

// Every step shortens the text (or keeps its length), so each one edits the buffer in place:
// kept pieces move to the left, and what a step writes never reaches what it has yet to read.
class InPlaceText {
public:
    explicit InPlaceText(QString &text)
        : m_data(reinterpret_cast<char16_t *>(text.data())), m_size(text.size()) {}

    QStringView view() const { return QStringView(m_data, m_size); }
    qsizetype size() const { return m_size; }
    char16_t *data() const { return m_data; }
    void setSize(qsizetype size) { m_size = size; }

private:
    char16_t *m_data;
    qsizetype m_size;
};

// Writes kept pieces at the front of the buffer that is being read further on.
class Writer {
public:
    explicit Writer(char16_t *data) : m_data(data) {}
    void copy(qsizetype from, qsizetype length) {
        if (from != m_size && length > 0)
            std::memmove(m_data + m_size, m_data + from, size_t(length) * sizeof(char16_t));
        m_size += length;
    }
    void put(char16_t c) { m_data[m_size++] = c; }
    void truncate(qsizetype size) { m_size = size; }
    qsizetype size() const { return m_size; }

private:
    char16_t *m_data;
    qsizetype m_size = 0;
};

// Repeats "cut from the first `start` to the end of the first `end`" while `end` occurs.
// The edited text is the written front followed by the unread rest, which is an unchanged
// piece of the input: occurrences wholly in the rest are searched for once and cached, and
// only the few positions where a new occurrence straddles the front and the rest are checked
// afresh after a cut.
class CutScanner {
public:
    explicit CutScanner(InPlaceText &text) : m_text(text), m_out(text.data()) {}

    void run(QStringView start, QStringView end) {
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
                m_out.copy(m_cursor, p1 - oldOut);
            m_cursor += p2 + end.size() - oldOut;
            // Text before the cut had no occurrence; new ones can only straddle the cut.
            startBound = p1 - start.size() + 1;
            endBound = p1 - end.size() + 1;
        }
        m_out.copy(m_cursor, m_text.size() - m_cursor);
        m_text.setSize(m_out.size());
    }

private:
    struct Cache {
        qsizetype from = -1; // input index the cached search started at
        qsizetype hit = -1;  // its result (-1: none at or after `from`)
    };

    char16_t at(qsizetype v) const {
        return m_text.data()[v < m_out.size() ? v : m_cursor + v - m_out.size()];
    }
    qsizetype length() const { return m_out.size() + m_text.size() - m_cursor; }

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
            cache.hit = indexOfCI(m_text.view(), pattern, inFrom);
        }
        return cache.hit < 0 ? -1 : outSize + (cache.hit - m_cursor);
    }

    InPlaceText &m_text;
    Writer m_out;
    qsizetype m_cursor = 0;
};

// Length of the line-break tag <br>, <p> or </p> at `pos`, 0 when there is none.
qsizetype breakTagLength(QStringView s, qsizetype pos) {
    if (matchesAt(s, pos, u"<br>") || matchesAt(s, pos, u"</p>"))
        return 4;
    return matchesAt(s, pos, u"<p>") ? 3 : 0;
}

// Line-break tags become CR LF, then every other tag goes: "<" to the first ">", or a lone
// ">". Done in one pass: a line-break tag counts as two plain characters for the tag
// removal, and the text already passed holds neither "<" nor ">", so the first of each in
// the rest is the first in the whole text.
void breakLinesAndRemoveTags(InPlaceText &text) {
    const QStringView s = text.view();
    const char16_t *data = text.data();
    Writer out(text.data());
    qsizetype copyFrom = 0;
    qsizetype firstLt = -1; // the first "<" since copyFrom that is not a line-break tag
    for (qsizetype i = 0; i < s.size(); ++i) {
        i = common::findEither(data, i, s.size(), u'<', u'>');
        if (i == s.size())
            break;
        const char16_t c = data[i];
        if (c == u'<') {
            const qsizetype length = breakTagLength(s, i);
            if (length == 0) {
                if (firstLt < 0)
                    firstLt = i;
                continue;
            }
            if (firstLt < 0) {
                out.copy(copyFrom, i - copyFrom);
                out.put(u'\r');
                out.put(u'\n');
                copyFrom = i + length;
            }
            i += length - 1;
        } else if (c == u'>') {
            out.copy(copyFrom, (firstLt < 0 ? i : firstLt) - copyFrom);
            copyFrom = i + 1;
            firstLt = -1;
        }
    }
    // No ">" follows: the rest stays, with its line-break tags as line breaks.
    for (qsizetype i = copyFrom; i < s.size(); ++i) {
        i = common::findEither(data, i, s.size(), u'<', u'<');
        if (i == s.size())
            break;
        const qsizetype length = breakTagLength(s, i);
        if (length == 0)
            continue;
        out.copy(copyFrom, i - copyFrom);
        out.put(u'\r');
        out.put(u'\n');
        copyFrom = i + length;
        i = copyFrom - 1;
    }
    out.copy(copyFrom, s.size() - copyFrom);
    text.setSize(out.size());
}

// &lt; and &gt; first; then &amp;, whose "&" may start another &amp;, &nbsp; or &quot;.
void decodeEntities(InPlaceText &text) {
    const QStringView s = text.view();
    Writer out(text.data());
    qsizetype copyFrom = 0;
    for (qsizetype amp = 0; amp < s.size(); ++amp) {
        amp = common::findEither(s.utf16(), amp, s.size(), u'&', u'&');
        if (amp == s.size())
            break;
        char16_t replacement = 0;
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
        if (replacement != 0) {
            out.copy(copyFrom, amp - copyFrom);
            out.put(replacement);
            copyFrom = next;
        }
        amp = next - 1;
    }
    out.copy(copyFrom, s.size() - copyFrom);
    text.setSize(out.size());
}

} // namespace

QString deleteHtmlTag(QStringView html, bool deleteLink, bool deleteScript) {
    QString result = html.toString();
    InPlaceText text(result);
    if (deleteLink)
        CutScanner(text).run(u"<a", u"</a>");
    if (deleteScript)
        CutScanner(text).run(u"<script", u"</script>");
    breakLinesAndRemoveTags(text);
    decodeEntities(text);
    const char16_t *data = text.data();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && data[begin] == u' ')
        ++begin;
    while (end > begin && data[end - 1] == u' ')
        --end;
    result.truncate(end);
    result.remove(0, begin);
    return result;
}

} // namespace text
