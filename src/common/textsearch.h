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
inline bool matchesAt(QStringView text, qsizetype pos, QStringView lowerPattern) {
    if (pos < 0 || pos + lowerPattern.size() > text.size())
        return false;
    const char16_t *at = text.utf16() + pos;
    const char16_t *pattern = lowerPattern.utf16();
    for (qsizetype i = 0; i < lowerPattern.size(); ++i) {
        if (asciiLower(at[i]) != pattern[i])
            return false;
    }
    return true;
}

// Index of the first character in [from, end) equal to `a` or `b`; `end` when there is none.
// Vectorised: HTML markup characters recur every few characters, and this is the inner loop
// of every page algorithm.
qsizetype findEither(const char16_t *data, qsizetype from, qsizetype end, char16_t a, char16_t b);

// 0-based index of the first occurrence of `lowerPattern` at or after `from`, ignoring ASCII
// case; -1 when there is none. `lowerPattern` must be non-empty and lower case.
qsizetype indexOfCI(QStringView text, QStringView lowerPattern, qsizetype from = 0);

// A copy with ASCII letters lower-cased; every position stays where it was.
QString asciiLowered(QStringView text);

// Removes spaces (U+0020 only, not tabs or line ends) from both ends.
QString trimSpaces(QStringView text);

} // namespace common
