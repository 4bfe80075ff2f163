#pragma once

#include <QString>

// Reading and writing whole text files the way the system's users keep them: in the Chinese
// ANSI code page. GB18030 is written (byte-identical to GBK for every GBK character, and it
// loses nothing beyond GBK). On reading, a UTF-8 byte-order mark, or bytes that are valid UTF-8
// and hold non-ASCII text, mean UTF-8; anything else is read as GB18030. Valid UTF-8 made of
// two-byte sequences only that is also valid GB18030 is taken as GB18030: short GBK texts
// look like that, Chinese in UTF-8 never does.
namespace common {

enum class FileEncoding { Gb18030, Utf8, Utf8WithBom };

struct TextFileContent {
    bool ok = false; // false when the file is missing or cannot be read
    QString text;    // the decoded content
    FileEncoding encoding = FileEncoding::Gb18030;
    QString error; // why it could not be read
};

// Reads the whole file. A missing file gives ok == false and an empty text.
TextFileContent readTextFile(const QString &path);

// Decodes bytes by the reading rule above; `encoding` receives the encoding chosen.
QString decodeText(const QByteArray &bytes, FileEncoding *encoding = nullptr);

// Encodes text for writing in `encoding` (a BOM is written only for Utf8WithBom).
QByteArray encodeText(const QString &text, FileEncoding encoding = FileEncoding::Gb18030);

// Replaces the file atomically with `text` (nothing is added): the old content stays whole if
// the write fails. Returns false and sets `error` to the reason, in Chinese, on failure.
bool writeTextFile(const QString &path, const QString &text,
                   FileEncoding encoding = FileEncoding::Gb18030, QString *error = nullptr);

// Appends `text` at the end of the file (created when missing) without touching what is
// there, in the encoding the file already has (GB18030 for a new or pure ASCII file). The
// file is replaced whole by its old content and the addition, so a failed append leaves it as
// it was. Returns false and sets `error` to the reason, in Chinese, on failure.
bool appendTextFile(const QString &path, const QString &text, QString *error = nullptr);

} // namespace common
