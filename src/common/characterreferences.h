#pragma once

#include <QString>
#include <QStringView>

namespace common {

// Decodes the character references of an attribute value as HTML reads it: "&amp;" gives
// "&", "&#20013;" and "&#x4E2D;" give "中" (with or without the ";"), numbers out of range,
// zero and surrogates give U+FFFD, 0x80-0x9F give the windows-1252 characters. A named
// reference needs its ";", except for the legacy names (amp, lt, gt, quot, nbsp, copy, reg
// and the Latin-1 letters), which also decode without it unless a letter, digit or "=" follows
// ("?a=1&copy=2" stays as written). Unknown names stay as written.
// Example: decodeCharacterReferences(u"t.html?page=2&amp;sort=new") == "t.html?page=2&sort=new".
QString decodeCharacterReferences(QStringView value);

} // namespace common
