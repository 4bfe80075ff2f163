#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Which character set a file's bytes are in, and decoding them without losing a byte. The
// rule, in this order: a byte-order mark (UTF-8, UTF-16 LE or BE); for HTML, the charset the
// page declares in its first 1,024 bytes; bytes that are valid UTF-8 and read as UTF-8 (see
// readsAsUtf8); anything else is GB18030, the Chinese ANSI code page the program writes.
namespace common {

enum class TextKind { Plain, Html };

struct DecodedText {
    QString text;
    QByteArray charset;        // "UTF-8", "UTF-16LE", "UTF-16BE", "GB18030" or a declared one
    qsizetype bomLength = 0;   // bytes of the byte-order mark skipped at the start
    qsizetype undecodable = 0; // bytes that are no text in that charset
};

// The charset the rule gives; `bomLength` receives the length of a byte-order mark.
// Example: chooseCharset("Caf\xC3\xA9", TextKind::Plain) == "UTF-8".
QByteArray chooseCharset(QByteArrayView bytes, TextKind kind, qsizetype *bomLength = nullptr);

// True when non-ASCII bytes are valid UTF-8 and UTF-8 is the likelier reading: they hold a
// three- or four-byte sequence, or four or more non-ASCII characters, or only letters and
// signs of the Latin, Greek and basic Cyrillic alphabets. Short GBK texts can be valid UTF-8
// (D2 BB is "一" in GBK and U+04BB in UTF-8); those made of common Chinese characters fail
// the last test. ASCII alone gives false.
bool readsAsUtf8(QByteArrayView bytes);

// Decodes by the rule above, or in `charset` when one is given (a byte-order mark of that
// charset is skipped). In UTF-8 and GB18030, a byte that is no text is kept in the result as
// the unpaired surrogate U+DC00 + byte, so encodeKeepingBytes gives the file's bytes back;
// other charsets put U+FFFD in its place.
DecodedText decodeBytes(const QByteArray &bytes, TextKind kind, const QByteArray &charset = {});

// `text` in `charset`, with every kept byte (U+DC80 to U+DCFF, unpaired) written back as the
// byte it stands for. Example: encodeKeepingBytes(u"a\xDCFF", "UTF-8") == "a\xFF".
QByteArray encodeKeepingBytes(QStringView text, const QByteArray &charset);

// `text` with every kept byte shown as U+FFFD, for output meant to be read.
QString withKeptBytesReplaced(const QString &text);

} // namespace common
