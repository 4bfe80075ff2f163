#include "linkaddress.h"

#include "characterreferences.h"
#include "tagscan.h"
#include "urlhost.h"

#include "common/textsearch.h"

#include <array>

namespace common {

namespace {

// Characters the parser keeps exactly as written in a path, query or fragment.
constexpr auto kPlainUrlChars = [] {
    std::array<bool, 128> plain{};
    for (char16_t c = u'a'; c <= u'z'; ++c)
        plain[c] = plain[c - u'a' + u'A'] = true;
    for (char16_t c = u'0'; c <= u'9'; ++c)
        plain[c] = true;
    for (char16_t c : u"-_.~/?=&;,+:@!$*()")
        plain[c] = c != 0;
    return plain;
}();

// A value the shortcut may join: plain characters, one "#" at most, no dot segments and no
// scheme (no ":" before the first "/", "?" or "#"). One pass: pages hold thousands of them.
bool isPlainRelative(QStringView value) {
    if (value.isEmpty() || value.front() == u'/' || value.front() == u'.' ||
        value.front() == u'#' || value.front() == u'?')
        return false;
    bool inPath = true;
    bool separated = false;
    bool hashSeen = false;
    char16_t previous = 0;
    for (QChar ch : value) {
        const char16_t c = ch.unicode();
        if (c == u'#') {
            if (hashSeen)
                return false;
            hashSeen = true;
            inPath = false;
            separated = true;
        } else if (c >= 128 || !kPlainUrlChars[c]) {
            return false;
        } else if (c == u'?' || c == u'/') {
            inPath = inPath && c == u'/';
            separated = true;
        } else if (c == u':' && !separated) {
            return false;
        } else if (c == u'.' && previous == u'/' && inPath) {
            return false;
        }
        previous = c;
    }
    return true;
}

QString joined(const QString &prefix, QStringView value) {
    QString out;
    out.reserve(prefix.size() + value.size());
    return out.append(prefix).append(value);
}

// An http(s) address the parser would write back unchanged: lower-case scheme and host of
// letters, digits, "-" and ".", not numeric (the parser rewrites "0x7f.1" as "127.0.0.1"),
// then "/" and a plain path, query and fragment.
bool isCanonicalWebAddress(QStringView value) {
    qsizetype host = 0;
    if (value.startsWith(u"http://"))
        host = 7;
    else if (value.startsWith(u"https://"))
        host = 8;
    else
        return false;
    qsizetype end = host;
    while (end < value.size()) {
        const char16_t c = value[end].unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.'))
            break;
        ++end;
    }
    if (end == host || end >= value.size() || value[end] != u'/' ||
        endsInANumber(value.sliced(host, end - host)))
        return false;
    const QStringView rest = value.sliced(end + 1);
    return rest.isEmpty() || isPlainRelative(rest);
}

bool isTagEnd(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'/' ||
           c == u'>';
}

} // namespace

bool linkValueNeedsCleaning(QStringView rawValue) {
    for (QChar c : rawValue) {
        if (c.unicode() <= 0x20 || c == u'&')
            return true;
    }
    return false;
}

QString cleanLinkValue(QStringView rawValue) {
    QString value = decodeCharacterReferences(rawValue);
    qsizetype start = 0;
    qsizetype end = value.size();
    while (start < end && value[start].unicode() <= 0x20)
        ++start;
    while (end > start && value[end - 1].unicode() <= 0x20)
        --end;
    value = value.sliced(start, end - start);
    value.removeIf([](QChar c) { return c == u'\t' || c == u'\n' || c == u'\r'; });
    return value;
}

AddressResolver::AddressResolver(const QString &baseUrl, const QString &charset)
    : m_encoding(charset) {
    m_base = parseUrl(cleanLinkValue(baseUrl), nullptr, m_encoding);
    if (!m_base || !m_base->special)
        return;
    ParsedUrl document = *m_base;
    document.fragment.reset();
    m_document = document.toString();
    document.query.reset();
    m_path = document.toString();
    m_folder = m_path.left(m_path.lastIndexOf(u'/') + 1);
}

QString AddressResolver::resolveCleaned(QStringView value, bool shortcut) {
    if (shortcut && !m_folder.isEmpty()) {
        if (value.size() > 1 && value.front() == u'#' && isPlainRelative(value.sliced(1)))
            return joined(m_document, value);
        if (value.size() > 1 && value.front() == u'?' && isPlainRelative(value.sliced(1)))
            return joined(m_path, value);
        if (isPlainRelative(value))
            return joined(m_folder, value);
    }
    if (shortcut && isCanonicalWebAddress(value))
        return value.toString();
    const auto url = parseUrl(value, m_base ? &*m_base : nullptr, m_encoding);
    return url ? url->toString() : QString();
}

QString AddressResolver::resolve(QStringView rawValue) {
    if (!linkValueNeedsCleaning(rawValue))
        return resolveCleaned(rawValue, true);
    return resolveCleaned(cleanLinkValue(rawValue), true);
}

QString AddressResolver::resolveWithoutShortcut(QStringView rawValue) {
    return resolveCleaned(cleanLinkValue(rawValue), false);
}

QString resolveLinkAddress(QStringView rawValue, const QString &baseUrl, const QString &charset) {
    return AddressResolver(baseUrl, charset).resolve(rawValue);
}

QString comparableAddress(QStringView address) {
    if (isCanonicalWebAddress(address))
        return address.toString();
    QueryEncoding utf8;
    const auto url = parseUrl(address, nullptr, utf8);
    return url ? url->toString() : address.toString();
}

QString baseUrlFromHref(QStringView href, const QString &pageUrl, const QString &charset) {
    // A base that cannot hold relative addresses (javascript:, data:) is ignored.
    const QString base = resolveLinkAddress(href, pageUrl, charset);
    return isSpecialScheme(QStringView(base).first(urlSchemeLength(base))) ? base : pageUrl;
}

std::optional<QStringView> baseElementHrefAt(QStringView html, qsizetype pos, qsizetype from) {
    from = std::max<qsizetype>(from, 0);
    const qsizetype back = html.sliced(from, pos - from).lastIndexOf(u'<');
    const qsizetype tagStart = back < 0 ? -1 : from + back;
    if (tagStart < 0 || tagStart + 5 >= html.size() ||
        !common::matchesAt(html, tagStart + 1, u"base") || !isTagEnd(html[tagStart + 5]) ||
        html.sliced(tagStart, pos - tagStart).contains(u'>'))
        return std::nullopt;
    const qsizetype end = html.indexOf(u'>', pos);
    return common::rawTagAttribute(html.sliced(tagStart, (end < 0 ? html.size() : end) - tagStart),
                                   u"href");
}

QString documentBaseUrl(QStringView html, const QString &pageUrl, const QString &charset) {
    for (qsizetype at = common::indexOfCI(html, u"<base"); at >= 0;
         at = common::indexOfCI(html, u"<base", at + 5)) {
        if (at + 5 >= html.size() || !isTagEnd(html[at + 5]))
            continue;
        const qsizetype end = html.indexOf(u'>', at);
        const QStringView tag = html.sliced(at, (end < 0 ? html.size() : end) - at);
        if (const auto href = common::rawTagAttribute(tag, u"href"))
            return baseUrlFromHref(*href, pageUrl, charset);
    }
    return pageUrl;
}

QString declaredCharset(QStringView html) {
    for (qsizetype meta = common::indexOfCI(html, u"<meta"); meta >= 0;
         meta = common::indexOfCI(html, u"<meta", meta + 5)) {
        const qsizetype end = html.indexOf(u'>', meta);
        const QStringView tag = html.sliced(meta, (end < 0 ? html.size() : end) - meta);
        const qsizetype key = common::indexOfCI(tag, u"charset=");
        if (key < 0)
            continue;
        qsizetype start = key + 8;
        while (start < tag.size() &&
               (tag[start] == u'"' || tag[start] == u'\'' || tag[start].isSpace()))
            ++start;
        qsizetype stop = start;
        while (stop < tag.size() && !tag[stop].isSpace() && tag[stop] != u'"' &&
               tag[stop] != u'\'' && tag[stop] != u';' && tag[stop] != u'/')
            ++stop;
        if (stop > start)
            return tag.sliced(start, stop - start).toString();
    }
    return QString();
}

} // namespace common
