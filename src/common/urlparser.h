#pragma once

#include "percentencoding.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace common {

// An absolute address split into the parts the engine keeps, each part percent-encoded as the
// engine writes it. Special addresses (http, https, ftp, file, ws, wss) have an authority and
// a path that starts with "/"; any other scheme keeps the rest of the address as an opaque
// path ("mailto:a@b.example", "javascript:go()").
struct ParsedUrl {
    QString scheme; // lower case
    bool special = false;
    QString authority; // "user:pass@host:port" as written back; "" for a file without host
    QString path;
    std::optional<QString> query;    // without its "?"
    std::optional<QString> fragment; // without its "#"

    QString toString() const;
};

// True for the schemes the URL standard calls special: http, https, ftp, file, ws, wss
// (`scheme` in lower case).
bool isSpecialScheme(QStringView scheme);

// The length of the scheme at the start of `input` without its ":" (an ASCII letter, then
// letters, digits, "+", "-", "."), 0 when it has none: "files/f1.zip" and "1a:b" have none.
qsizetype urlSchemeLength(QStringView input);

// Parses `input` (character references decoded, blanks around it removed, tabs and line ends
// inside it removed) as the URL standard parses an address, against `base` (may be null) for
// relative ones: "\" counts as "/" in special addresses, dot segments are resolved, host names
// are lower-cased and IDN names written in punycode, numeric hosts read as IPv4 addresses
// ("0x7f.1" is 127.0.0.1; "256.1.1.1" is no host), default ports dropped. No value where
// the engine fails too (no base for a relative address, a bad host or port).
// Example: parseUrl(u"../c d.htm?q=1", base "http://h/a/b/x.htm") gives
// "http://h/a/c%20d.htm?q=1".
// Where it parts from the URL standard, it does as the engine does or keeps it simple:
// - paths also encode "|" and "^" (the engine does);
// - other schemes keep an opaque rest ("foo://h/p" has no host), as in the engine;
// - IDN names go through Qt's IDNA (QUrl::toAce), not the full UTS 46 mapping;
// - Windows drive letters in file addresses get no special treatment.
std::optional<ParsedUrl> parseUrl(QStringView input, const ParsedUrl *base,
                                  QueryEncoding &encoding);

} // namespace common
