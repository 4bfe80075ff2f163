#include "ansifile.h"

#include "fileerror.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace common {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool isAscii(const QByteArray &bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool decodesWithoutError(const QByteArray &bytes, QStringDecoder decoder) {
    (void)decoder.decode(bytes).operator QString();
    return !decoder.hasError();
}

bool hasLongUtf8Sequence(const QByteArray &bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0xE0)
            return true;
    }
    return false;
}

// Short GBK texts can happen to be valid UTF-8 ("一" is D2 BB, U+04BB in UTF-8), but then
// only with two-byte sequences; Chinese written in UTF-8 always has three-byte ones.
bool looksLikeUtf8(const QByteArray &bytes) {
    if (!decodesWithoutError(bytes, QStringDecoder(QStringDecoder::Utf8)))
        return false;
    return hasLongUtf8Sequence(bytes) || !decodesWithoutError(bytes, QStringDecoder("GB18030"));
}

} // namespace

QString decodeText(const QByteArray &bytes, FileEncoding *encoding) {
    FileEncoding chosen = FileEncoding::Gb18030;
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        chosen = FileEncoding::Utf8WithBom;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (!isAscii(bytes) && looksLikeUtf8(bytes)) {
        chosen = FileEncoding::Utf8;
        text = QString::fromUtf8(bytes);
    } else {
        QStringDecoder decoder("GB18030");
        text = decoder.decode(bytes);
    }
    if (encoding)
        *encoding = chosen;
    return text;
}

QByteArray encodeText(const QString &text, FileEncoding encoding) {
    switch (encoding) {
    case FileEncoding::Utf8WithBom:
        return QByteArray(kUtf8Bom) + text.toUtf8();
    case FileEncoding::Utf8:
        return text.toUtf8();
    case FileEncoding::Gb18030:
        break;
    }
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

TextFileContent readTextFile(const QString &path) {
    TextFileContent result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = fileErrorReason(file, path);
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = fileErrorReason(file, path);
        return result;
    }
    result.text = decodeText(bytes, &result.encoding);
    result.ok = true;
    return result;
}

bool writeTextFile(const QString &path, const QString &text, FileEncoding encoding,
                   QString *error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = fileErrorReason(file, path);
        return false;
    }
    const QByteArray bytes = encodeText(text, encoding);
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = fileErrorReason(file, path);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = fileErrorReason(file, path);
        return false;
    }
    return true;
}

bool appendTextFile(const QString &path, const QString &text, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        if (error)
            *error = fileErrorReason(file, path);
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
        *error = fileErrorReason(file, path);
    return ok;
}

} // namespace common
