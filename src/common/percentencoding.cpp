#include "percentencoding.h"

#include "common/textsearch.h"

#include <QStringList>

namespace common {

bool inEncodeSet(char16_t c, EncodeSet set) {
    if (c < 0x20 || c > 0x7E)
        return true;
    switch (set) {
    case EncodeSet::C0:
        return false;
    case EncodeSet::Fragment:
        return c == u' ' || c == u'"' || c == u'<' || c == u'>' || c == u'`';
    case EncodeSet::Query:
        return c == u' ' || c == u'"' || c == u'#' || c == u'<' || c == u'>';
    case EncodeSet::SpecialQuery:
        return inEncodeSet(c, EncodeSet::Query) || c == u'\'';
    case EncodeSet::Path:
        // "|" and "^" too: the engine encodes them in paths, the URL standard does not.
        return inEncodeSet(c, EncodeSet::Query) || c == u'?' || c == u'`' || c == u'{' ||
               c == u'}' || c == u'|' || c == u'^';
    case EncodeSet::Userinfo:
        return inEncodeSet(c, EncodeSet::Path) || c == u'/' || c == u':' || c == u';' ||
               c == u'=' || c == u'@' || (c >= u'[' && c <= u'^') || c == u'|';
    }
    return false;
}

void appendPercent(QString &out, uchar byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out.append(u'%');
    out.append(QLatin1Char(kHex[byte >> 4]));
    out.append(QLatin1Char(kHex[byte & 15]));
}

void appendPercentUtf8(QString &out, char32_t codePoint) {
    const QByteArray bytes = QString::fromUcs4(&codePoint, 1).toUtf8();
    for (char byte : bytes)
        appendPercent(out, uchar(byte));
}

QString percentEncoded(QStringView text, EncodeSet set) {
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c) {
        if (c > 0x7E)
            appendPercentUtf8(out, c);
        else if (inEncodeSet(char16_t(c), set))
            appendPercent(out, uchar(c));
        else
            out.append(QChar(char16_t(c)));
    });
    return out;
}

QueryEncoding::QueryEncoding(const QString &charset) {
    QString name = common::asciiLowered(charset.trimmed());
    if (name.isEmpty() || name == u"utf-8" || name == u"utf8" || name.startsWith(u"utf-16"))
        return;
    // Labels the engine reads as another encoding than their name says.
    static const QStringList gbk = {"gb2312",     "gbk",       "x-gbk",
                                    "chinese",    "csgb2312",  "gb_2312",
                                    "gb_2312-80", "iso-ir-58", "csiso58gb231280"};
    static const QStringList latin1 = {"iso-8859-1", "iso8859-1",    "latin1",
                                       "l1",         "ascii",        "us-ascii",
                                       "cp1252",     "windows-1252", "iso_8859-1"};
    if (gbk.contains(name))
        name = QStringLiteral("gbk");
    else if (latin1.contains(name))
        name = QStringLiteral("windows-1252");
    QStringEncoder encoder(name.toLatin1().constData());
    if (encoder.isValid())
        m_encoder.emplace(std::move(encoder));
}

void QueryEncoding::appendEncoded(QString &out, char32_t codePoint) {
    if (!m_encoder) {
        appendPercentUtf8(out, codePoint);
        return;
    }
    m_encoder->resetState();
    const QByteArray bytes = m_encoder->encode(QString::fromUcs4(&codePoint, 1));
    // Some converters put a substitute in place of what they cannot hold instead of failing.
    if (m_encoder->hasError() || bytes.isEmpty() || bytes == "?" || bytes == "\x1a") {
        out += QStringLiteral("%26%23") + QString::number(uint(codePoint)) + QStringLiteral("%3B");
        return;
    }
    for (char byte : bytes)
        appendPercent(out, uchar(byte));
}

} // namespace common
