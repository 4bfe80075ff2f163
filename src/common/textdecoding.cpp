#include "textdecoding.h"

#include "htmlcharset.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace common {

namespace {

using SequenceLength = qsizetype (*)(const uchar *at, qsizetype left);

bool isContinuation(uchar c) {
    return c >= 0x80 && c <= 0xBF;
}

// The length of the valid UTF-8 sequence at `at`; 0 when the byte starts none (overlong
// forms, surrogates and code points past U+10FFFF are not valid).
qsizetype utf8SequenceLength(const uchar *at, qsizetype left) {
    const uchar c = at[0];
    if (c < 0x80)
        return 1;
    qsizetype length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || at[1] < low || at[1] > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (!isContinuation(at[i]))
            return 0;
    }
    return length;
}

// The length of the valid GB18030 sequence at `at`: one byte (ASCII), two bytes, or four
// bytes that map to a code point; 0 when the byte starts none.
qsizetype gb18030SequenceLength(const uchar *at, qsizetype left) {
    const uchar c = at[0];
    if (c < 0x80)
        return 1;
    if (c == 0x80 || c == 0xFF || left < 2)
        return 0;
    const uchar second = at[1];
    if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE))
        return 2;
    if (second < 0x30 || second > 0x39 || left < 4 || at[2] < 0x81 || at[2] > 0xFE ||
        at[3] < 0x30 || at[3] > 0x39)
        return 0;
    const qint64 linear =
        ((qint64(c - 0x81) * 10 + (second - 0x30)) * 126 + (at[2] - 0x81)) * 10 + (at[3] - 0x30);
    // 81 30 81 30 .. 84 31 A4 39 is the BMP, 90 30 81 30 .. E3 32 9A 35 the other planes.
    const bool mapped = linear <= 39419 || (linear >= 189000 && linear <= 1237575);
    return mapped ? 4 : 0;
}

bool isCommonAlphabet(char32_t c) {
    return (c >= 0xA0 && c <= 0x24F) || (c >= 0x370 && c <= 0x3FF) || (c >= 0x400 && c <= 0x45F);
}

bool isPrintableAscii(uchar c) {
    return c >= 0x20 && c < 0x7F;
}

bool isKeptByte(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode()));
}

// Decodes valid runs with Qt's decoder and keeps every byte that starts no sequence.
DecodedText decodeKeeping(const QByteArray &bytes, qsizetype from, const QByteArray &charset,
                          SequenceLength sequenceLength) {
    DecodedText decoded;
    decoded.charset = charset;
    decoded.bomLength = from;
    // Stateless: a sequence cut off at the end is an error, not a state kept for more input.
    QStringDecoder whole(charset.constData(), QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
    decoded.text = whole.decode(QByteArrayView(bytes).sliced(from));
    if (!whole.hasError())
        return decoded; // the usual case: every byte is text
    decoded.text.clear();
    decoded.text.reserve(bytes.size() - from);
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    QStringDecoder decoder(charset.constData(), QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    qsizetype runStart = from;
    for (qsizetype i = from; i < size;) {
        const qsizetype length = sequenceLength(data + i, size - i);
        if (length > 0) {
            i += length;
            continue;
        }
        decoded.text += decoder.decode(QByteArrayView(bytes).sliced(runStart, i - runStart));
        decoded.text += QChar(char16_t(0xDC00 + data[i]));
        ++decoded.undecodable;
        runStart = ++i;
    }
    decoded.text += decoder.decode(QByteArrayView(bytes).sliced(runStart));
    return decoded;
}

} // namespace

bool readsAsUtf8(QByteArrayView bytes) {
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype nonAscii = 0;
    bool longSequence = false;
    bool alphabetOnly = true;
    bool unlikelyGbk = false;
    for (qsizetype i = 0; i < size;) {
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        const qsizetype length = utf8SequenceLength(data + i, size - i);
        if (length == 0)
            return false;
        if (length == 2) {
            alphabetOnly =
                alphabetOnly && isCommonAlphabet(((data[i] & 0x1F) << 6) | (data[i + 1] & 0x3F));
            // Read as GBK, a second byte below A1 is a rare character outside GB2312; an
            // accented letter inside a word ("Köln") stands beside ASCII.
            unlikelyGbk = unlikelyGbk || data[i + 1] < 0xA1 ||
                          (i > 0 && isPrintableAscii(data[i - 1])) ||
                          (i + 2 < size && isPrintableAscii(data[i + 2]));
        }
        longSequence = longSequence || length > 2;
        nonAscii += length > 1;
        i += length;
    }
    return nonAscii > 0 && (longSequence || nonAscii >= 4 || (alphabetOnly && unlikelyGbk));
}

QByteArray chooseCharset(QByteArrayView bytes, TextKind kind, qsizetype *bomLength) {
    qsizetype bom = 0;
    QByteArray charset;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bom = 3;
        charset = "UTF-8";
    } else if (bytes.startsWith("\xFF\xFE")) {
        bom = 2;
        charset = "UTF-16LE";
    } else if (bytes.startsWith("\xFE\xFF")) {
        bom = 2;
        charset = "UTF-16BE";
    } else if (kind == TextKind::Html) {
        charset = declaredHtmlCharset(bytes);
    }
    if (charset.isEmpty())
        charset = readsAsUtf8(bytes) ? "UTF-8" : "GB18030";
    if (bomLength)
        *bomLength = bom;
    return charset;
}

DecodedText decodeBytes(const QByteArray &bytes, TextKind kind, const QByteArray &charset) {
    qsizetype bom = 0;
    QByteArray chosen = charset;
    if (chosen.isEmpty()) {
        chosen = chooseCharset(bytes, kind, &bom);
    } else if (chooseCharset(bytes, TextKind::Plain, &bom) != charsetForLabel(charset)) {
        bom = 0; // a mark of another charset is text in this one
    }
    const QByteArray name = charsetForLabel(chosen).isEmpty() ? chosen : charsetForLabel(chosen);
    if (name == "UTF-8")
        return decodeKeeping(bytes, bom, name, utf8SequenceLength);
    if (name == "GB18030")
        return decodeKeeping(bytes, bom, name, gb18030SequenceLength);
    DecodedText decoded;
    decoded.charset = name;
    decoded.bomLength = bom;
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless |
                                                 QStringConverter::Flag::ConvertInitialBom);
    decoded.text = decoder.decode(QByteArrayView(bytes).sliced(bom));
    decoded.undecodable = decoder.hasError() ? decoded.text.count(QChar::ReplacementCharacter) : 0;
    return decoded;
}

QByteArray encodeKeepingBytes(QStringView text, const QByteArray &charset) {
    QStringEncoder encoder(charset.constData());
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isKeptByte(text, i))
            continue;
        bytes += encoder.encode(text.sliced(runStart, i - runStart));
        bytes += char(text[i].unicode() - 0xDC00);
        runStart = i + 1;
    }
    bytes += encoder.encode(text.sliced(runStart));
    return bytes;
}

QString withKeptBytesReplaced(const QString &text) {
    QString out = text; // shared: copied only when a kept byte is there
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (isKeptByte(out, i))
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

} // namespace common
