#include "urlparser.h"

#include "percentencoding.h"
#include "urlhost.h"

#include "common/textsearch.h"

#include <QStringList>

namespace common {

namespace {

bool isSlash(QChar c) {
    return c == u'/' || c == u'\\';
}

bool isSingleDot(QStringView segment) {
    return segment == u"." || segment.compare(u"%2e", Qt::CaseInsensitive) == 0;
}

bool isDoubleDot(QStringView segment) {
    if (segment == u"..")
        return true;
    const QString lower = common::asciiLowered(segment);
    return lower == u".%2e" || lower == u"%2e." || lower == u"%2e%2e";
}

// The path with "\" read as "/", its dot segments resolved and its characters encoded.
QString normalizedPath(QStringView path) {
    QStringList segments;
    qsizetype start = path.isEmpty() || !isSlash(path.front()) ? 0 : 1;
    while (true) {
        qsizetype end = start;
        while (end < path.size() && !isSlash(path[end]))
            ++end;
        const QStringView segment = path.sliced(start, end - start);
        const bool last = end >= path.size();
        if (isDoubleDot(segment)) {
            if (!segments.isEmpty())
                segments.removeLast();
            if (last)
                segments.append(QString());
        } else if (isSingleDot(segment)) {
            if (last)
                segments.append(QString());
        } else {
            segments.append(percentEncoded(segment, EncodeSet::Path));
        }
        if (last)
            break;
        start = end + 1;
    }
    return u'/' + segments.join(u'/');
}

// Sets path, query and fragment from "path?query#fragment"; the path follows `folder`.
void setPathQueryFragment(ParsedUrl &url, QStringView rest, QStringView folder,
                          QueryEncoding &encoding) {
    qsizetype hash = rest.indexOf(u'#');
    const QStringView beforeHash = hash < 0 ? rest : rest.first(hash);
    const qsizetype question = beforeHash.indexOf(u'?');
    const QStringView path = question < 0 ? beforeHash : beforeHash.first(question);
    url.path = normalizedPath(folder.toString() + path.toString());
    url.query.reset();
    if (question >= 0) {
        const QStringView query = beforeHash.sliced(question + 1);
        QString out;
        out.reserve(query.size());
        const bool useCharset = url.scheme != u"ws" && url.scheme != u"wss";
        forEachCodePoint(query, [&](char32_t c) {
            if (c > 0x7E && useCharset)
                encoding.appendEncoded(out, c);
            else if (c > 0x7E)
                appendPercentUtf8(out, c);
            else if (inEncodeSet(char16_t(c), EncodeSet::SpecialQuery))
                appendPercent(out, uchar(c));
            else
                out.append(QChar(char16_t(c)));
        });
        url.query = out;
    }
    url.fragment.reset();
    if (hash >= 0)
        url.fragment = percentEncoded(rest.sliced(hash + 1), EncodeSet::Fragment);
}

// An address with an authority of its own: "//host/path" after any number of slashes.
std::optional<ParsedUrl> withAuthority(ParsedUrl url, QStringView rest, QueryEncoding &encoding) {
    qsizetype end = 0;
    while (end < rest.size() && !isSlash(rest[end]) && rest[end] != u'?' && rest[end] != u'#')
        ++end;
    const auto authority = serializedAuthority(url.scheme, rest.first(end));
    if (!authority)
        return std::nullopt;
    url.authority = *authority;
    if (url.scheme != u"file" && url.authority.isEmpty())
        return std::nullopt;
    setPathQueryFragment(url, rest.sliced(end), {}, encoding);
    return url;
}

qsizetype leadingSlashes(QStringView rest) {
    qsizetype n = 0;
    while (n < rest.size() && isSlash(rest[n]))
        ++n;
    return n;
}

std::optional<ParsedUrl> relativeTo(const ParsedUrl &base, QStringView rest,
                                    QueryEncoding &encoding) {
    ParsedUrl url = base;
    const qsizetype slashes = leadingSlashes(rest);
    if (slashes >= 2)
        return withAuthority(url, rest.sliced(base.scheme == u"file" ? 2 : slashes), encoding);
    if (slashes == 1) {
        setPathQueryFragment(url, rest, {}, encoding);
    } else if (rest.isEmpty()) {
        url.fragment.reset();
    } else if (rest.front() == u'#') {
        url.fragment = percentEncoded(rest.sliced(1), EncodeSet::Fragment);
    } else if (rest.front() == u'?') {
        const QString path = url.path;
        setPathQueryFragment(url, rest, {}, encoding);
        url.path = path;
    } else {
        setPathQueryFragment(
            url, rest, QStringView(base.path).first(base.path.lastIndexOf(u'/') + 1), encoding);
    }
    return url;
}

ParsedUrl opaque(const QString &scheme, QStringView rest) {
    ParsedUrl url;
    url.scheme = scheme;
    const qsizetype hash = rest.indexOf(u'#');
    const QStringView beforeHash = hash < 0 ? rest : rest.first(hash);
    const qsizetype question = beforeHash.indexOf(u'?');
    url.path =
        percentEncoded(question < 0 ? beforeHash : beforeHash.first(question), EncodeSet::C0);
    if (question >= 0)
        url.query = percentEncoded(beforeHash.sliced(question + 1), EncodeSet::Query);
    if (hash >= 0)
        url.fragment = percentEncoded(rest.sliced(hash + 1), EncodeSet::Fragment);
    return url;
}

} // namespace

bool isSpecialScheme(QStringView scheme) {
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"file" ||
           scheme == u"ws" || scheme == u"wss";
}

QString ParsedUrl::toString() const {
    QString out = scheme + u':';
    if (special)
        out += QStringLiteral("//") + authority;
    out += path;
    if (query)
        out += u'?' + *query;
    if (fragment)
        out += u'#' + *fragment;
    return out;
}

qsizetype urlSchemeLength(QStringView input) {
    const auto letter = [](char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; };
    if (input.isEmpty() || !letter(input.front().unicode()))
        return 0;
    for (qsizetype i = 1; i < input.size(); ++i) {
        const char16_t c = input[i].unicode();
        if (c == u':')
            return i;
        if (!letter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return 0;
    }
    return 0;
}

std::optional<ParsedUrl> parseUrl(QStringView input, const ParsedUrl *base,
                                  QueryEncoding &encoding) {
    const qsizetype schemeLength = urlSchemeLength(input);
    if (schemeLength == 0) {
        if (!base || !base->special)
            return std::nullopt;
        return relativeTo(*base, input, encoding);
    }
    ParsedUrl url;
    url.scheme = common::asciiLowered(input.first(schemeLength));
    const QStringView rest = input.sliced(schemeLength + 1);
    if (!isSpecialScheme(url.scheme))
        return opaque(url.scheme, rest);
    url.special = true;
    const qsizetype slashes = leadingSlashes(rest);
    // "http:page.htm" and "http:/x.htm" on an http page are relative to it.
    if (base && base->scheme == url.scheme && slashes < 2)
        return relativeTo(*base, rest, encoding);
    if (url.scheme != u"file")
        return withAuthority(url, rest.sliced(slashes), encoding);
    if (slashes >= 2)
        return withAuthority(url, rest.sliced(2), encoding);
    setPathQueryFragment(url, rest, {}, encoding);
    return url;
}

} // namespace common
