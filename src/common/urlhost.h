#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace common {

// The authority of a special address ("user:pass@host:port") as the engine writes it back:
// the host lower-cased, IDN names in punycode, IPv6 addresses compressed, the user and
// password percent-encoded, the scheme's default port dropped. A file address may have no
// host ("localhost" counts as none). No value for a bad host or port.
// Example: serializedAuthority(u"http", u"Example.COM:80") == "example.com".
std::optional<QString> serializedAuthority(QStringView scheme, QStringView authority);

// True when the last label of an ASCII host (one final "." aside) is a number: decimal digits,
// or "0x" and hexadecimal digits. Such a host is an IPv4 address or no host at all.
// Example: endsInANumber(u"h.0x1f") and endsInANumber(u"1.2.3.4.") are true, "1.2.x" false.
bool endsInANumber(QStringView asciiHost);

// The IPv4 address an ASCII host stands for, read as the URL standard and the engine read it:
// one to four parts split at "." (one final "." aside), each decimal, octal after a leading
// "0" or hexadecimal after "0x" ("0x" alone is 0); every part but the last below 256, the last
// filling the bytes left. No value where the standard fails.
// Example: ipv4Address(u"0x7f.1") == 0x7F000001; ipv4Address(u"256.1.1.1") has none.
std::optional<quint32> ipv4Address(QStringView asciiHost);

// An IPv4 address in dotted decimal. Example: serializedIpv4(0x7F000001) == "127.0.0.1".
QString serializedIpv4(quint32 address);

} // namespace common
