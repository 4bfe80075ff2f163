#pragma once

#include "textdecoding.h"

#include <QString>

#include <optional>

// Reading and writing whole text files the way the system's users keep them. GB18030 is
// written (byte-identical to GBK for every GBK character, and it loses nothing beyond GBK).
// Reading follows the rule of textdecoding.h (byte-order mark, an HTML file's declared
// charset, UTF-8 when the bytes read as UTF-8, else GB18030). A file read as UTF-8 or GB18030
// and written back in the encoding it was read in keeps its bytes, undecodable ones included.
namespace common {

enum class FileEncoding { Gb18030, Utf8, Utf8WithBom };

// The largest file lumaro-cli and the book maker read (as ReadOptions::maxBytes): a larger
// one, or an endless stream such as a pipe, is refused rather than read into memory.
constexpr qint64 kMaxTextFileBytes = qint64(128) << 20;

struct TextFileContent {
    bool ok = false;       // false when the file is missing or cannot be read
    bool tooLarge = false; // not read: it holds more than ReadOptions::maxBytes
    QString text;          // the decoded content
    FileEncoding encoding = FileEncoding::Gb18030; // how to write it back
    QString error;                                 // why it could not be read
    QByteArray charset;                            // the charset it was read in, e.g. "UTF-8"
    qsizetype undecodable = 0;                     // bytes that are no text in that charset
    bool keepsBytes = true; // writing `text` back in `encoding` gives the file's bytes again
};

struct ReadOptions {
    std::optional<TextKind> kind; // by default HTML for .htm, .html, .xhtml, .shtml and .xml
    QByteArray charset;           // read in this charset instead of choosing one
    // A larger file is not read (ok == false, tooLarge == true). At most maxBytes + 1 bytes are
    // read, so an endless pipe or device is never read past the limit.
    qint64 maxBytes = -1;
};

// Reads the whole file. A missing file gives ok == false and an empty text.
TextFileContent readTextFile(const QString &path);
TextFileContent readTextFile(const QString &path, const ReadOptions &options);

// Decodes bytes by the reading rule as plain text; `encoding` receives how to write it back.
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
