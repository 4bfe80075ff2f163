#pragma once

#include <QString>
#include <QStringView>

// Small text helpers shared by the page algorithms. Every marker the system looks for in
// HTML is plain ASCII, so "ignoring letter case" means ignoring the case of ASCII letters.
namespace common {

inline char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// True when `text` holds `lowerPattern` at `pos`, ignoring ASCII case.
// `lowerPattern` must be lower case. Example: matchesAt(u"<BR>", 0, u"<br>") is true.
bool matchesAt(QStringView text, qsizetype pos, QStringView lowerPattern);

// 0-based index of the first occurrence of `lowerPattern` at or after `from`, ignoring ASCII
// case; -1 when there is none. `lowerPattern` must be non-empty and lower case.
qsizetype indexOfCI(QStringView text, QStringView lowerPattern, qsizetype from = 0);

// A copy with ASCII letters lower-cased; every position stays where it was.
QString asciiLowered(QStringView text);

// Removes spaces (U+0020 only, not tabs or line ends) from both ends.
QString trimSpaces(QStringView text);

} // namespace common
