#include "ansifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

QString readError(const QFile &file) {
    if (!file.exists())
        return QStringLiteral("文件不存在");
    if (file.error() == QFileDevice::OpenError && !QFileInfo(file).isReadable())
        return QStringLiteral("没有读取权限");
    return file.errorString();
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
        result.error = readError(file);
        return result;
    }
    if (options.maxBytes >= 0 && file.size() > options.maxBytes) {
        result.error = QStringLiteral("文件太大（%1 字节）").arg(file.size());
        return result;
    }
    const QByteArray bytes = options.maxBytes >= 0 ? file.read(options.maxBytes) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = readError(file);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = encodeText(text, encoding);
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool appendTextFile(const QString &path, const QString &text, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    FileEncoding existing = FileEncoding::Gb18030;
    if (file.size() > 0) {
        file.seek(0);
        decodeText(file.readAll(), &existing);
        file.seek(file.size());
    }
    // A byte-order mark belongs at the start of a file only.
    const FileEncoding encoding =
        existing == FileEncoding::Gb18030 ? FileEncoding::Gb18030 : FileEncoding::Utf8;
    const QByteArray bytes = encodeText(text, encoding);
    const bool ok = file.write(bytes) == bytes.size() && file.flush();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace common
