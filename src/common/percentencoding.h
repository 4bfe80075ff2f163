#pragma once

#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <optional>

// Percent-encoding of address parts as the URL standard does it.
namespace common {

// The characters each part of an address percent-encodes besides controls and non-ASCII.
enum class EncodeSet { C0, Fragment, Query, SpecialQuery, Path, Userinfo };

bool inEncodeSet(char16_t c, EncodeSet set);

// Appends "%XX" for one byte.
void appendPercent(QString &out, uchar byte);

// Appends the UTF-8 bytes of one code point, each as "%XX".
void appendPercentUtf8(QString &out, char32_t codePoint);

// `text` with the characters of `set` and all non-ASCII ones (as UTF-8) percent-encoded; "%"
// itself stays. Example: percentEncoded(u"a b中", EncodeSet::Path) == "a%20b%E4%B8%AD".
QString percentEncoded(QStringView text, EncodeSet set);

// Walks the code points of `text`; a lone surrogate counts as U+FFFD.
template <typename Visit> void forEachCodePoint(QStringView text, Visit visit) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            visit(c.isSurrogate() ? char32_t(0xFFFD) : char32_t(c.unicode()));
        }
    }
}

// Percent-encodes the queries of special addresses in one page's character set (the path and
// the fragment are always UTF-8). Characters the set cannot hold are written as "&#N;", then
// percent-encoded, as the engine does. An empty or unknown name, and UTF-16, mean UTF-8;
// "gb2312" and the other GBK labels mean GBK, "iso-8859-1" and "ascii" windows-1252, as the
// engine reads them.
class QueryEncoding {
public:
    explicit QueryEncoding(const QString &charset = QString());
    bool isUtf8() const { return !m_encoder.has_value(); }
    void appendEncoded(QString &out, char32_t codePoint);

private:
    std::optional<QStringEncoder> m_encoder;
};

} // namespace common
