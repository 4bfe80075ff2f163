#include "htmlcharset.h"

#include <QList>
#include <QStringDecoder>

#include <optional>

namespace common {

namespace {

constexpr qsizetype kPrescanLength = 1024;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

bool startsWithCI(QByteArrayView bytes, qsizetype at, QByteArrayView lowerPattern) {
    if (at + lowerPattern.size() > bytes.size())
        return false;
    for (qsizetype i = 0; i < lowerPattern.size(); ++i) {
        if (lower(bytes[at + i]) != lowerPattern[i])
            return false;
    }
    return true;
}

struct Attribute {
    QByteArray name;
    QByteArray value;
};

// Reads one attribute at `pos` (names and unquoted values lower-cased); none at the tag's
// end. `pos` is left after the attribute, or on the ">".
std::optional<Attribute> nextAttribute(QByteArrayView bytes, qsizetype &pos) {
    const qsizetype end = bytes.size();
    while (pos < end && (isSpace(bytes[pos]) || bytes[pos] == '/'))
        ++pos;
    if (pos >= end || bytes[pos] == '>')
        return std::nullopt;
    Attribute attribute;
    for (; pos < end; ++pos) {
        const char c = bytes[pos];
        if (c == '=' && !attribute.name.isEmpty())
            break;
        if (isSpace(c)) {
            while (pos < end && isSpace(bytes[pos]))
                ++pos;
            if (pos >= end || bytes[pos] != '=')
                return attribute;
            break;
        }
        if (c == '/' || c == '>')
            return attribute;
        attribute.name.append(lower(c));
    }
    ++pos; // the "="
    while (pos < end && isSpace(bytes[pos]))
        ++pos;
    if (pos >= end)
        return attribute;
    const char quote = bytes[pos];
    if (quote == '"' || quote == '\'') {
        for (++pos; pos < end && bytes[pos] != quote; ++pos)
            attribute.value.append(lower(bytes[pos]));
        ++pos;
        return attribute;
    }
    for (; pos < end && !isSpace(bytes[pos]) && bytes[pos] != '>'; ++pos)
        attribute.value.append(lower(bytes[pos]));
    return attribute;
}

// The charset inside a Content-Type value: "text/html; charset=gbk" gives "gbk".
QByteArray charsetInContent(QByteArrayView content) {
    qsizetype at = 0;
    for (;;) {
        at = QByteArrayView(content).indexOf("charset", at);
        if (at < 0)
            return QByteArray();
        at += 7;
        while (at < content.size() && isSpace(content[at]))
            ++at;
        if (at < content.size() && content[at] == '=')
            break;
    }
    ++at;
    while (at < content.size() && isSpace(content[at]))
        ++at;
    if (at >= content.size())
        return QByteArray();
    const char quote = content[at];
    if (quote == '"' || quote == '\'') {
        const qsizetype close = content.indexOf(quote, at + 1);
        return close < 0 ? QByteArray() : content.sliced(at + 1, close - at - 1).toByteArray();
    }
    qsizetype stop = at;
    while (stop < content.size() && !isSpace(content[stop]) && content[stop] != ';')
        ++stop;
    return content.sliced(at, stop - at).toByteArray();
}

// The charset of one <meta> element whose attributes start at `pos`; empty when it declares
// none (a content attribute counts only beside http-equiv="Content-Type").
QByteArray metaCharset(QByteArrayView bytes, qsizetype &pos) {
    QByteArray charset;
    bool gotPragma = false;
    std::optional<bool> needPragma;
    QList<QByteArray> seen;
    while (const auto attribute = nextAttribute(bytes, pos)) {
        if (seen.contains(attribute->name))
            continue;
        seen.append(attribute->name);
        if (attribute->name == "http-equiv") {
            gotPragma = gotPragma || attribute->value == "content-type";
        } else if (attribute->name == "content" && charset.isEmpty()) {
            charset = charsetInContent(attribute->value);
            if (!charset.isEmpty())
                needPragma = true;
        } else if (attribute->name == "charset") {
            charset = attribute->value;
            needPragma = false;
        }
    }
    if (!needPragma || (*needPragma && !gotPragma))
        return QByteArray();
    const QByteArray resolved = charsetForLabel(charset);
    return resolved.startsWith("UTF-16") ? QByteArray("UTF-8") : resolved;
}

// <?xml version="1.0" encoding="..."?> at the very start.
QByteArray xmlDeclarationCharset(QByteArrayView bytes) {
    if (!bytes.startsWith("<?xml"))
        return QByteArray();
    const qsizetype close = bytes.indexOf('>');
    const QByteArrayView declaration = bytes.first(close < 0 ? bytes.size() : close);
    qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return QByteArray();
    at += 8;
    while (at < declaration.size() && isSpace(declaration[at]))
        ++at;
    if (at >= declaration.size() || declaration[at] != '=')
        return QByteArray();
    ++at;
    while (at < declaration.size() && isSpace(declaration[at]))
        ++at;
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return QByteArray();
    const qsizetype end = declaration.indexOf(declaration[at], at + 1);
    if (end < 0)
        return QByteArray();
    const QByteArray resolved = charsetForLabel(declaration.sliced(at + 1, end - at - 1));
    return resolved.startsWith("UTF-16") ? QByteArray("UTF-8") : resolved;
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

QByteArray charsetForLabel(QByteArrayView label) {
    const QByteArray name = label.toByteArray().trimmed().toLower();
    if (name.isEmpty())
        return QByteArray();
    static const char *const chinese[] = {
        "gbk",       "gb2312",  "gb_2312",         "gb_2312-80", "x-gbk", "csgb2312",   "chinese",
        "iso-ir-58", "gb18030", "csiso58gb231280", "cp936",      "ms936", "windows-936"};
    static const char *const western[] = {
        "iso-8859-1",     "iso8859-1",      "iso_8859-1",  "latin1",     "l1",
        "ascii",          "us-ascii",       "cp1252",      "cp819",      "ibm819",
        "iso88591",       "x-cp1252",       "csisolatin1", "iso-ir-100", "windows-1252",
        "x-user-defined", "iso_8859-1:1987"};
    for (const char *candidate : chinese) {
        if (name == candidate)
            return QByteArrayLiteral("GB18030");
    }
    for (const char *candidate : western) {
        if (name == candidate)
            return QByteArrayLiteral("windows-1252");
    }
    if (name == "utf8" || name == "utf-8" || name == "unicode-1-1-utf-8")
        return QByteArrayLiteral("UTF-8");
    if (name == "utf-16" || name == "utf-16le" || name == "unicode" || name == "ucs-2")
        return QByteArrayLiteral("UTF-16LE");
    if (name == "utf-16be")
        return QByteArrayLiteral("UTF-16BE");
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return QByteArray();
    return name;
}

QByteArray declaredHtmlCharset(QByteArrayView bytes) {
    const QByteArrayView head = bytes.first(qMin(bytes.size(), kPrescanLength));
    const qsizetype end = head.size();
    for (qsizetype pos = 0; pos < end; ++pos) {
        if (head[pos] != '<')
            continue;
        if (head.sliced(pos).startsWith("<!--")) {
            const qsizetype close = head.indexOf("-->", pos + 2);
            if (close < 0)
                break;
            pos = close + 2;
        } else if (startsWithCI(head, pos, "<meta") && pos + 5 < end &&
                   (isSpace(head[pos + 5]) || head[pos + 5] == '/')) {
            pos += 5;
            if (const QByteArray charset = metaCharset(head, pos); !charset.isEmpty())
                return charset;
        } else if ((pos + 1 < end && isAsciiLetter(head[pos + 1])) ||
                   (pos + 2 < end && head[pos + 1] == '/' && isAsciiLetter(head[pos + 2]))) {
            while (pos < end && !isSpace(head[pos]) && head[pos] != '>')
                ++pos;
            while (nextAttribute(head, pos)) {
            }
        } else if (pos + 1 < end &&
                   (head[pos + 1] == '!' || head[pos + 1] == '/' || head[pos + 1] == '?')) {
            const qsizetype close = head.indexOf('>', pos + 1);
            if (close < 0)
                break;
            pos = close;
        }
    }
    // An XML declaration counts only when no meta element declares a charset.
    return xmlDeclarationCharset(head);
}

QByteArray charsetInContentType(QByteArrayView content) {
    return charsetInContent(content.toByteArray().toLower());
}

} // namespace common
