#include "urlparser.h"

#include "common/textsearch.h"

#include <QStringList>
#include <QUrl>

namespace links {

namespace {

enum class EncodeSet { C0, Fragment, Query, SpecialQuery, Path, Userinfo };

bool inEncodeSet(char16_t c, EncodeSet set) {
    if (c < 0x20 || c > 0x7E)
        return true;
    switch (set) {
    case EncodeSet::C0:
        return false;
    case EncodeSet::Fragment:
        return c == u' ' || c == u'"' || c == u'<' || c == u'>' || c == u'`';
    case EncodeSet::Query:
        return c == u' ' || c == u'"' || c == u'#' || c == u'<' || c == u'>';
    case EncodeSet::SpecialQuery:
        return inEncodeSet(c, EncodeSet::Query) || c == u'\'';
    case EncodeSet::Path:
        return inEncodeSet(c, EncodeSet::Query) || c == u'?' || c == u'`' || c == u'{' || c == u'}';
    case EncodeSet::Userinfo:
        return inEncodeSet(c, EncodeSet::Path) || c == u'/' || c == u':' || c == u';' ||
               c == u'=' || c == u'@' || (c >= u'[' && c <= u'^') || c == u'|';
    }
    return false;
}

void appendPercent(QString &out, uchar byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out.append(u'%');
    out.append(QLatin1Char(kHex[byte >> 4]));
    out.append(QLatin1Char(kHex[byte & 15]));
}

void appendUtf8(QString &out, char32_t codePoint) {
    const QByteArray bytes = QString::fromUcs4(&codePoint, 1).toUtf8();
    for (char byte : bytes)
        appendPercent(out, uchar(byte));
}

// Walks the code points of `text`; a lone surrogate counts as U+FFFD.
template <typename Visit> void forEachCodePoint(QStringView text, Visit visit) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            visit(c.isSurrogate() ? char32_t(0xFFFD) : char32_t(c.unicode()));
        }
    }
}

QString encoded(QStringView text, EncodeSet set) {
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c) {
        if (c > 0x7E)
            appendUtf8(out, c);
        else if (inEncodeSet(char16_t(c), set))
            appendPercent(out, uchar(c));
        else
            out.append(QChar(char16_t(c)));
    });
    return out;
}

bool isSpecialScheme(QStringView scheme) {
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"file" ||
           scheme == u"ws" || scheme == u"wss";
}

QStringView defaultPort(QStringView scheme) {
    if (scheme == u"http" || scheme == u"ws")
        return u"80";
    if (scheme == u"https" || scheme == u"wss")
        return u"443";
    return scheme == u"ftp" ? QStringView(u"21") : QStringView();
}

bool isSlash(QChar c) {
    return c == u'/' || c == u'\\';
}

bool isForbiddenInHost(QChar c) {
    static const QStringView forbidden = u" #%/:<>?@[\\]^|";
    return c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c);
}

// An IPv6 address as the URL standard writes it: eight hexadecimal pieces, the first longest
// run of two or more zero pieces written "::", an embedded IPv4 address as two pieces.
// QUrl checks the address; its own form keeps the dotted IPv4 part.
std::optional<QString> serializedIpv6(QStringView bracketed) {
    if (bracketed.contains(u'%'))
        return std::nullopt; // zone ids are not part of web addresses
    const QUrl probe(QStringLiteral("http://") + bracketed.toString() + QStringLiteral("/"),
                     QUrl::StrictMode);
    if (!probe.isValid() || probe.host().isEmpty())
        return std::nullopt;
    QString text = probe.host().toLower();
    const qsizetype lastColon = text.lastIndexOf(u':');
    if (text.indexOf(u'.', lastColon) >= 0) {
        const QStringList octets = text.sliced(lastColon + 1).split(u'.');
        if (octets.size() != 4)
            return std::nullopt;
        text = text.first(lastColon + 1) +
               QString::number((octets[0].toUInt() << 8) | octets[1].toUInt(), 16) + u':' +
               QString::number((octets[2].toUInt() << 8) | octets[3].toUInt(), 16);
    }
    QList<uint> pieces;
    const qsizetype gap = text.indexOf(QStringLiteral("::"));
    const auto piecesOf = [](QStringView part) {
        QList<uint> out;
        for (QStringView piece : part.split(u':', Qt::SkipEmptyParts))
            out.append(piece.toUInt(nullptr, 16));
        return out;
    };
    if (gap < 0) {
        pieces = piecesOf(text);
    } else {
        pieces = piecesOf(QStringView(text).first(gap));
        const QList<uint> tail = piecesOf(QStringView(text).sliced(gap + 2));
        while (pieces.size() + tail.size() < 8)
            pieces.append(0);
        pieces.append(tail);
    }
    if (pieces.size() != 8)
        return std::nullopt;
    qsizetype runStart = -1, runLength = 1;
    for (qsizetype i = 0; i < 8;) {
        qsizetype j = i;
        while (j < 8 && pieces[j] == 0)
            ++j;
        if (j - i > runLength) {
            runStart = i;
            runLength = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    QString out = QStringLiteral("[");
    for (qsizetype i = 0; i < 8; ++i) {
        if (i == runStart) {
            out += i == 0 ? QStringLiteral("::") : QStringLiteral(":");
            i += runLength - 1;
            continue;
        }
        out += QString::number(pieces[i], 16);
        if (i < 7)
            out += u':';
    }
    return out + u']';
}

// The host as the engine writes it: lower case, IDN names in punycode, IPv6 compressed.
std::optional<QString> serializedHost(QStringView host) {
    if (host.startsWith(u'['))
        return serializedIpv6(host);
    QString name = QUrl::fromPercentEncoding(host.toString().toUtf8());
    bool ascii = true;
    for (QChar c : name)
        ascii = ascii && c.unicode() < 0x80;
    name = ascii ? common::asciiLowered(name) : QUrl::toAce(name).toLower();
    if (name.isEmpty())
        return std::nullopt;
    for (QChar c : name) {
        if (isForbiddenInHost(c))
            return std::nullopt;
    }
    return name;
}

// Parses "user:pass@host:port" into `url.authority`; false for a bad host or port.
bool parseAuthority(ParsedUrl &url, QStringView authority) {
    QString written;
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QStringView credentials = authority.first(at);
        const qsizetype colon = credentials.indexOf(u':');
        const QString user =
            encoded(colon < 0 ? credentials : credentials.first(colon), EncodeSet::Userinfo);
        const QString password =
            colon < 0 ? QString() : encoded(credentials.sliced(colon + 1), EncodeSet::Userinfo);
        if (!user.isEmpty() || !password.isEmpty())
            written = user + (password.isEmpty() ? QString() : u':' + password) + u'@';
        authority = authority.sliced(at + 1);
    }
    qsizetype hostEnd = authority.indexOf(u':');
    if (authority.startsWith(u'[')) {
        hostEnd = authority.indexOf(u']') + 1;
        if (hostEnd == 0 || (hostEnd < authority.size() && authority[hostEnd] != u':'))
            return false;
    }
    if (hostEnd < 0)
        hostEnd = authority.size();
    const QStringView hostText = authority.first(hostEnd);
    const QStringView portText = authority.sliced(std::min(hostEnd + 1, authority.size()));
    QString host;
    if (url.scheme == u"file" &&
        (hostText.isEmpty() || hostText.compare(u"localhost", Qt::CaseInsensitive) == 0)) {
        host.clear();
    } else {
        const auto parsed = serializedHost(hostText);
        if (!parsed)
            return false;
        host = *parsed;
    }
    QString port;
    if (!portText.isEmpty()) {
        uint number = 0;
        for (QChar c : portText) {
            if (!c.isDigit() || c.unicode() > u'9')
                return false;
            number = number * 10 + (c.unicode() - u'0');
            if (number > 65535)
                return false;
        }
        port = QString::number(number);
        if (port == defaultPort(url.scheme))
            port.clear();
    }
    if (url.scheme == u"file" && !port.isEmpty())
        return false;
    url.authority = written + host + (port.isEmpty() ? QString() : u':' + port);
    return true;
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
            segments.append(encoded(segment, EncodeSet::Path));
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
                appendUtf8(out, c);
            else if (inEncodeSet(char16_t(c), EncodeSet::SpecialQuery))
                appendPercent(out, uchar(c));
            else
                out.append(QChar(char16_t(c)));
        });
        url.query = out;
    }
    url.fragment.reset();
    if (hash >= 0)
        url.fragment = encoded(rest.sliced(hash + 1), EncodeSet::Fragment);
}

// An address with an authority of its own: "//host/path" after any number of slashes.
std::optional<ParsedUrl> withAuthority(ParsedUrl url, QStringView rest, QueryEncoding &encoding) {
    qsizetype end = 0;
    while (end < rest.size() && !isSlash(rest[end]) && rest[end] != u'?' && rest[end] != u'#')
        ++end;
    if (!parseAuthority(url, rest.first(end)))
        return std::nullopt;
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
        url.fragment = encoded(rest.sliced(1), EncodeSet::Fragment);
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
    url.path = encoded(question < 0 ? beforeHash : beforeHash.first(question), EncodeSet::C0);
    if (question >= 0)
        url.query = encoded(beforeHash.sliced(question + 1), EncodeSet::Query);
    if (hash >= 0)
        url.fragment = encoded(rest.sliced(hash + 1), EncodeSet::Fragment);
    return url;
}

} // namespace

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

QueryEncoding::QueryEncoding(const QString &charset) {
    QString name = common::asciiLowered(charset.trimmed());
    if (name.isEmpty() || name == u"utf-8" || name == u"utf8" || name.startsWith(u"utf-16"))
        return;
    // Labels the engine reads as another encoding than their name says.
    static const QStringList gbk = {"gb2312",     "gbk",       "x-gbk",
                                    "chinese",    "csgb2312",  "gb_2312",
                                    "gb_2312-80", "iso-ir-58", "csiso58gb231280"};
    static const QStringList latin1 = {"iso-8859-1", "iso8859-1",    "latin1",
                                       "l1",         "ascii",        "us-ascii",
                                       "cp1252",     "windows-1252", "iso_8859-1"};
    if (gbk.contains(name))
        name = QStringLiteral("gbk");
    else if (latin1.contains(name))
        name = QStringLiteral("windows-1252");
    QStringEncoder encoder(name.toLatin1().constData());
    if (encoder.isValid())
        m_encoder.emplace(std::move(encoder));
}

void QueryEncoding::appendEncoded(QString &out, char32_t codePoint) {
    if (!m_encoder) {
        appendUtf8(out, codePoint);
        return;
    }
    m_encoder->resetState();
    const QByteArray bytes = m_encoder->encode(QString::fromUcs4(&codePoint, 1));
    // Some converters put a substitute in place of what they cannot hold instead of failing.
    if (m_encoder->hasError() || bytes.isEmpty() || bytes == "?" || bytes == "\x1a") {
        out += QStringLiteral("%26%23") + QString::number(uint(codePoint)) + QStringLiteral("%3B");
        return;
    }
    for (char byte : bytes)
        appendPercent(out, uchar(byte));
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

} // namespace links
