#include "tagscan.h"

#include "characterreferences.h"
#include "textsearch.h"

namespace common {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Where the tag name that starts after `lt`'s "<" (and its "/") ends.
qsizetype nameEnd(QStringView html, qsizetype lt) {
    qsizetype i = lt + 1;
    if (i < html.size() && html[i] == u'/')
        ++i;
    while (i < html.size() && !isBlank(html[i]) && html[i] != u'/' && html[i] != u'>')
        ++i;
    return i;
}

} // namespace

TagAttributeReader::TagAttributeReader(QStringView tag) : m_tag(tag), m_pos(nameEnd(tag, 0)) {}

std::optional<TagAttribute> TagAttributeReader::next() {
    const QStringView t = m_tag;
    qsizetype i = m_pos;
    while (i < t.size() && (isBlank(t[i]) || t[i] == u'/'))
        ++i;
    if (i >= t.size() || t[i] == u'>') {
        m_end = i < t.size() ? i + 1 : -1;
        m_pos = t.size();
        return std::nullopt;
    }
    const qsizetype nameStart = i++; // a first "=" belongs to the name, as in HTML
    while (i < t.size() && !isBlank(t[i]) && t[i] != u'/' && t[i] != u'>' && t[i] != u'=')
        ++i;
    TagAttribute attribute{t.sliced(nameStart, i - nameStart), {}};
    qsizetype after = i;
    while (after < t.size() && isBlank(t[after]))
        ++after;
    if (after < t.size() && t[after] == u'=') {
        i = after + 1;
        while (i < t.size() && isBlank(t[i]))
            ++i;
        if (i < t.size() && (t[i] == u'"' || t[i] == u'\'')) {
            const qsizetype close = t.indexOf(t[i], i + 1);
            const qsizetype valueEnd = close < 0 ? t.size() : close;
            attribute.rawValue = t.sliced(i + 1, valueEnd - i - 1);
            i = close < 0 ? t.size() : close + 1;
        } else {
            const qsizetype valueStart = i;
            while (i < t.size() && !isBlank(t[i]) && t[i] != u'>')
                ++i;
            attribute.rawValue = t.sliced(valueStart, i - valueStart);
        }
    }
    m_pos = i;
    return attribute;
}

qsizetype tagEnd(QStringView html, qsizetype lt) {
    TagAttributeReader reader(html.sliced(lt));
    while (reader.next()) {
    }
    return reader.end() < 0 ? -1 : lt + reader.end();
}

QString tagName(QStringView html, qsizetype lt) {
    return asciiLowered(html.sliced(lt + 1, nameEnd(html, lt) - lt - 1));
}

bool opensTag(QStringView html, qsizetype at, QStringView name) {
    if (at >= html.size() || html[at] != u'<' || at + 1 + name.size() > html.size() ||
        html.sliced(at + 1, name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return false;
    const qsizetype after = at + 1 + name.size();
    return after == html.size() || isBlank(html[after]) || html[after] == u'>' ||
           html[after] == u'/';
}

std::optional<QStringView> rawTagAttribute(QStringView tag, QStringView name) {
    TagAttributeReader reader(tag);
    while (const auto attribute = reader.next()) {
        if (attribute->name.compare(name, Qt::CaseInsensitive) == 0)
            return attribute->rawValue;
    }
    return std::nullopt;
}

std::optional<QString> tagAttribute(QStringView tag, QStringView name) {
    const auto raw = rawTagAttribute(tag, name);
    return raw ? std::optional<QString>(decodeCharacterReferences(*raw)) : std::nullopt;
}

} // namespace common
