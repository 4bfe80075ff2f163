#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The character set an HTML file declares for itself, found the way browsers find it before
// they parse the page: in its first 1,024 bytes only, in <meta charset>, in a
// <meta http-equiv="Content-Type" content="...; charset=..."> pair, or in an XML declaration,
// skipping comments and the attributes of other tags.
namespace common {

// The charset name declared in the first 1,024 bytes of `bytes`, as a name QStringDecoder
// knows ("GB18030", "UTF-8", "windows-1251", "big5", ...); empty when nothing usable is
// declared. Labels mean what they mean to browsers: "gbk" and "gb2312" read as GB18030,
// "iso-8859-1" and "ascii" as windows-1252, a declared UTF-16 as UTF-8.
// Example: declaredHtmlCharset("<meta charset='koi8-r'>") == "koi8-r".
QByteArray declaredHtmlCharset(QByteArrayView bytes);

// The charset label inside a Content-Type value, in lower case; empty when it names none.
// Example: charsetInContentType("text/css; Charset=\"GBK\"") == "gbk".
QByteArray charsetInContentType(QByteArrayView content);

// The charset a label stands for, as above; empty for a label no decoder knows.
// Example: charsetForLabel(" GBK ") == "GB18030".
QByteArray charsetForLabel(QByteArrayView label);

} // namespace common
