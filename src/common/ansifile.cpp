#include "ansifile.h"

#include "fileerror.h"
#include "safewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace common {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

FileEncoding encodingFor(const DecodedText &decoded) {
    if (decoded.charset != "UTF-8")
        return FileEncoding::Gb18030;
    return decoded.bomLength > 0 ? FileEncoding::Utf8WithBom : FileEncoding::Utf8;
}

TextKind kindOf(const QString &path) {
    static const QStringList htmlSuffixes = {QStringLiteral(".htm"), QStringLiteral(".html"),
                                             QStringLiteral(".xhtml"), QStringLiteral(".shtml"),
                                             QStringLiteral(".xml")};
    for (const QString &suffix : htmlSuffixes) {
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return TextKind::Html;
    }
    return TextKind::Plain;
}

// Reads up to `count` bytes, in pieces, so that nothing past them is read or allocated.
QByteArray readAtMost(QFile &file, qint64 count) {
    QByteArray bytes;
    if (!file.isSequential())
        bytes.reserve(qsizetype(std::min(file.size(), count)));
    char piece[64 * 1024];
    while (bytes.size() < count) {
        const qint64 got = file.read(piece, std::min<qint64>(sizeof piece, count - bytes.size()));
        if (got <= 0)
            break;
        bytes.append(piece, qsizetype(got));
    }
    return bytes;
}

} // namespace

QString decodeText(const QByteArray &bytes, FileEncoding *encoding) {
    const DecodedText decoded = decodeBytes(bytes, TextKind::Plain);
    if (encoding)
        *encoding = encodingFor(decoded);
    return decoded.text;
}

QByteArray encodeText(const QString &text, FileEncoding encoding) {
    switch (encoding) {
    case FileEncoding::Utf8WithBom:
        return QByteArray(kUtf8Bom) + encodeKeepingBytes(text, "UTF-8");
    case FileEncoding::Utf8:
        return encodeKeepingBytes(text, "UTF-8");
    case FileEncoding::Gb18030:
        break;
    }
    return encodeKeepingBytes(text, "GB18030");
}

TextFileContent readTextFile(const QString &path) {
    return readTextFile(path, ReadOptions{});
}

TextFileContent readTextFile(const QString &path, const ReadOptions &options) {
    TextFileContent result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = fileErrorReason(file, path);
        return result;
    }
    const qint64 limit = options.maxBytes;
    // A pipe or a device tells no size (or a wrong one): only the bytes read count.
    const bool tooLarge = limit >= 0 && !file.isSequential() && file.size() > limit;
    const QByteArray bytes = tooLarge     ? QByteArray()
                             : limit >= 0 ? readAtMost(file, limit + 1)
                                          : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = fileErrorReason(file, path);
        return result;
    }
    if (tooLarge || (limit >= 0 && bytes.size() > limit)) {
        result.tooLarge = true;
        result.error = QStringLiteral("文件太大（超过 %1 字节的上限）").arg(limit);
        return result;
    }
    const DecodedText decoded =
        decodeBytes(bytes, options.kind.value_or(kindOf(path)), options.charset);
    result.text = decoded.text;
    result.charset = decoded.charset;
    result.undecodable = decoded.undecodable;
    result.encoding = encodingFor(decoded);
    // UTF-8 and GB18030 keep every byte by construction (undecodable ones included); any
    // other charset is written back as GB18030, which keeps nothing but ASCII.
    result.keepsBytes = decoded.charset == "UTF-8" || decoded.charset == "GB18030" ||
                        encodeText(result.text, result.encoding) == bytes;
    result.ok = true;
    return result;
}

bool writeTextFile(const QString &path, const QString &text, FileEncoding encoding,
                   QString *error) {
    return replaceFileBytes(path, encodeText(text, encoding), error);
}

bool appendTextFile(const QString &path, const QString &text, QString *error) {
    return appendFileBytes(
        path,
        [&text](const QByteArray &existing) {
            FileEncoding found = FileEncoding::Gb18030;
            if (!existing.isEmpty())
                decodeText(existing, &found);
            // A byte-order mark belongs at the start of a file only.
            return encodeText(text, found == FileEncoding::Gb18030 ? FileEncoding::Gb18030
                                                                   : FileEncoding::Utf8);
        },
        error);
}

} // namespace common
