#include "urlhost.h"

#include "percentencoding.h"

#include "common/textsearch.h"

#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace common {

namespace {

QStringView defaultPort(QStringView scheme) {
    if (scheme == u"http" || scheme == u"ws")
        return u"80";
    if (scheme == u"https" || scheme == u"wss")
        return u"443";
    return scheme == u"ftp" ? QStringView(u"21") : QStringView();
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

// A part of an IPv4 host: decimal, octal after "0", hexadecimal after "0x"; "" after a prefix
// is 0. Values are capped just past 32 bits, which is too large for any part.
std::optional<quint64> ipv4Number(QStringView part) {
    constexpr quint64 kTooLarge = quint64(1) << 32;
    if (part.isEmpty())
        return std::nullopt;
    quint64 radix = 10;
    if (part.size() >= 2 && part[0] == u'0' && (part[1] == u'x' || part[1] == u'X')) {
        part = part.sliced(2);
        radix = 16;
    } else if (part.size() >= 2 && part[0] == u'0') {
        part = part.sliced(1);
        radix = 8;
    }
    quint64 value = 0;
    for (QChar ch : part) {
        const char16_t c = ch.unicode();
        quint64 digit = radix;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if ((c | 0x20) >= u'a' && (c | 0x20) <= u'f')
            digit = (c | 0x20) - u'a' + 10;
        if (digit >= radix)
            return std::nullopt;
        value = std::min(value * radix + digit, kTooLarge);
    }
    return value;
}

// The host without one final "." (a host of "." alone keeps it).
QStringView withoutFinalDot(QStringView host) {
    return host.size() > 1 && host.endsWith(u'.') ? host.chopped(1) : host;
}

// The host as the engine writes it: lower case, IDN names in punycode, IPv6 compressed, a
// numeric host as a dotted decimal IPv4 address.
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
    if (!endsInANumber(name))
        return name;
    const auto address = ipv4Address(name);
    return address ? std::optional<QString>(serializedIpv4(*address)) : std::nullopt;
}

} // namespace

bool endsInANumber(QStringView asciiHost) {
    const QStringView host = withoutFinalDot(asciiHost);
    const QStringView last = host.sliced(host.lastIndexOf(u'.') + 1);
    const bool digits = !last.isEmpty() && std::all_of(last.begin(), last.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    return digits || ipv4Number(last).has_value();
}

std::optional<quint32> ipv4Address(QStringView asciiHost) {
    const QList<QStringView> parts = withoutFinalDot(asciiHost).split(u'.');
    if (parts.size() > 4)
        return std::nullopt;
    quint64 address = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const auto number = ipv4Number(parts[i]);
        if (!number)
            return std::nullopt;
        // The last part fills the bytes the others leave: 4 for "a", 3 for "a.b", ...
        const int shift = i + 1 < parts.size() ? 8 * int(3 - i) : 0;
        const quint64 limit = i + 1 < parts.size() ? 256 : quint64(1) << (8 * (5 - parts.size()));
        if (*number >= limit)
            return std::nullopt;
        address += *number << shift;
    }
    return quint32(address);
}

QString serializedIpv4(quint32 address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

std::optional<QString> serializedAuthority(QStringView scheme, QStringView authority) {
    QString written;
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QStringView credentials = authority.first(at);
        const qsizetype colon = credentials.indexOf(u':');
        const QString user =
            percentEncoded(colon < 0 ? credentials : credentials.first(colon), EncodeSet::Userinfo);
        const QString password =
            colon < 0 ? QString()
                      : percentEncoded(credentials.sliced(colon + 1), EncodeSet::Userinfo);
        if (!user.isEmpty() || !password.isEmpty())
            written = user + (password.isEmpty() ? QString() : u':' + password) + u'@';
        authority = authority.sliced(at + 1);
    }
    qsizetype hostEnd = authority.indexOf(u':');
    if (authority.startsWith(u'[')) {
        hostEnd = authority.indexOf(u']') + 1;
        if (hostEnd == 0 || (hostEnd < authority.size() && authority[hostEnd] != u':'))
            return std::nullopt;
    }
    if (hostEnd < 0)
        hostEnd = authority.size();
    const QStringView hostText = authority.first(hostEnd);
    const QStringView portText = authority.sliced(std::min(hostEnd + 1, authority.size()));
    QString host;
    if (scheme == u"file" &&
        (hostText.isEmpty() || hostText.compare(u"localhost", Qt::CaseInsensitive) == 0)) {
        host.clear();
    } else {
        const auto parsed = serializedHost(hostText);
        if (!parsed)
            return std::nullopt;
        host = *parsed;
    }
    QString port;
    if (!portText.isEmpty()) {
        uint number = 0;
        for (QChar c : portText) {
            if (!c.isDigit() || c.unicode() > u'9')
                return std::nullopt;
            number = number * 10 + (c.unicode() - u'0');
            if (number > 65535)
                return std::nullopt;
        }
        port = QString::number(number);
        if (port == defaultPort(scheme))
            port.clear();
    }
    if (scheme == u"file" && !port.isEmpty())
        return std::nullopt;
    return written + host + (port.isEmpty() ? QString() : u':' + port);
}

} // namespace common
