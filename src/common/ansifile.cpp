#include "ansifile.h"

#include "fileerror.h"
#include "safewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

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
    if (options.maxBytes >= 0 && file.size() > options.maxBytes) {
        result.error = QStringLiteral("文件太大（%1 字节）").arg(file.size());
        return result;
    }
    const QByteArray bytes = options.maxBytes >= 0 ? file.read(options.maxBytes) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = fileErrorReason(file, path);
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
