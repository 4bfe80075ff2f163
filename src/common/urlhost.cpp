#include "urlhost.h"

#include "percentencoding.h"

#include "common/textsearch.h"

#include <QStringList>
#include <QUrl>

namespace links {

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

} // namespace

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

} // namespace links
