#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace links {

// The authority of a special address ("user:pass@host:port") as the engine writes it back:
// the host lower-cased, IDN names in punycode, IPv6 addresses compressed, the user and
// password percent-encoded, the scheme's default port dropped. A file address may have no
// host ("localhost" counts as none). No value for a bad host or port.
// Example: serializedAuthority(u"http", u"Example.COM:80") == "example.com".
std::optional<QString> serializedAuthority(QStringView scheme, QStringView authority);

} // namespace links
