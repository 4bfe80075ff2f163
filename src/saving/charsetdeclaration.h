#pragma once

#include <QString>
#include <QStringView>

namespace saving {

// Makes the HTML declare the encoding `charset` it is written in: the charset of every meta
// element (<meta charset=...> and the content of <meta http-equiv="Content-Type" ...>) is
// replaced; when no meta element declares one, <meta charset="..."> is put right after the
// head start tag (or at the very start). Nothing else changes.
// Example: declareCharset(u"<head><meta charset=\"utf-8\"></head>", "gb18030")
// == "<head><meta charset=\"gb18030\"></head>".
QString declareCharset(QStringView html, const QString &charset);

} // namespace saving
