#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Line ends as the user's files have them: CR LF, LF or CR, in any mix.
namespace common {

// The length of the line end at `pos`: 2 for CR LF, 1 for LF or CR, 0 for none.
qsizetype lineEndLengthAt(QStringView text, qsizetype pos);

// The start of the line that holds `pos` (just after the line end before it, or 0).
qsizetype lineStartBefore(QStringView text, qsizetype pos);

// The position of the first line end at or after `pos`; the text's size when there is none.
qsizetype lineEndFrom(QStringView text, qsizetype pos);

// The lines of `text`, split at every CR LF, LF and CR; a line end at the very end starts no
// further line. Example: splitLines(u"a\r\nb\rc\n") == {"a", "b", "c"}.
QStringList splitLines(QStringView text);

} // namespace common
