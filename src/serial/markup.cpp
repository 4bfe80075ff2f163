#include "markup.h"

#include <QHash>

namespace serial {

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
           c == QLatin1Char(':');
}

// True when `html` has the tag `name` opening at `at` ("<a " or "<a>", any letter case).
bool opensTag(QStringView html, qsizetype at, QLatin1String name) {
    if (html.at(at) != QLatin1Char('<'))
        return false;
    const qsizetype end = at + 1 + name.size();
    if (end > html.size() || html.mid(at + 1, name.size()).compare(name, Qt::CaseInsensitive))
        return false;
    return end == html.size() || html.at(end).isSpace() || html.at(end) == QLatin1Char('>') ||
           html.at(end) == QLatin1Char('/');
}

struct Tag {
    QHash<QString, QString> attributes; // names in lower case
    qsizetype end = -1;                 // just after the closing '>', -1 when the tag is cut
};

// Reads the attributes of the tag whose name ends at `from`.
Tag readTag(QStringView html, qsizetype from) {
    Tag tag;
    qsizetype i = from;
    const qsizetype n = html.size();
    while (i < n) {
        while (i < n && (html.at(i).isSpace() || html.at(i) == QLatin1Char('/')))
            ++i;
        if (i >= n)
            return tag;
        if (html.at(i) == QLatin1Char('>')) {
            tag.end = i + 1;
            return tag;
        }
        const qsizetype nameStart = i;
        while (i < n && isNameChar(html.at(i)))
            ++i;
        if (i == nameStart) { // a stray character: skip it
            ++i;
            continue;
        }
        const QString name = html.mid(nameStart, i - nameStart).toString().toLower();
        while (i < n && html.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && html.at(i) == QLatin1Char('=')) {
            ++i;
            while (i < n && html.at(i).isSpace())
                ++i;
            if (i < n && (html.at(i) == QLatin1Char('"') || html.at(i) == QLatin1Char('\''))) {
                const QChar quote = html.at(i);
                const qsizetype close = html.indexOf(quote, i + 1);
                if (close < 0)
                    return tag;
                value = decodeEntities(html.mid(i + 1, close - i - 1));
                i = close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !html.at(i).isSpace() && html.at(i) != QLatin1Char('>'))
                    ++i;
                value = decodeEntities(html.mid(valueStart, i - valueStart));
            }
        }
        if (!tag.attributes.contains(name))
            tag.attributes.insert(name, value);
    }
    return tag;
}

QString visibleText(QStringView markup) {
    QString text;
    bool inTag = false;
    for (const QChar c : markup) {
        if (c == QLatin1Char('<'))
            inTag = true;
        else if (c == QLatin1Char('>') && inTag)
            inTag = false;
        else if (!inTag)
            text.append(c);
    }
    return decodeEntities(text).simplified();
}

// The words an image link shows instead of text: the alt (else title) of its images.
QString imageWords(QStringView markup) {
    QStringList words;
    qsizetype i = 0;
    while ((i = markup.indexOf(QLatin1Char('<'), i)) >= 0) {
        if (!opensTag(markup, i, QLatin1String("img"))) {
            ++i;
            continue;
        }
        const Tag img = readTag(markup, i + 4);
        QString word = img.attributes.value(QStringLiteral("alt")).simplified();
        if (word.isEmpty())
            word = img.attributes.value(QStringLiteral("title")).simplified();
        if (!word.isEmpty())
            words.append(word);
        if (img.end < 0)
            break;
        i = img.end;
    }
    return words.join(QLatin1Char(' '));
}

bool hasRelNext(const Tag &tag) {
    const QStringList tokens = tag.attributes.value(QStringLiteral("rel"))
                                   .toLower()
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return tokens.contains(QLatin1String("next"));
}

} // namespace

QString decodeEntities(QStringView text) {
    static const QHash<QString, QChar> named = {
        {QStringLiteral("amp"), QLatin1Char('&')},   {QStringLiteral("lt"), QLatin1Char('<')},
        {QStringLiteral("gt"), QLatin1Char('>')},    {QStringLiteral("quot"), QLatin1Char('"')},
        {QStringLiteral("apos"), QLatin1Char('\'')}, {QStringLiteral("nbsp"), QChar(0xA0)},
        {QStringLiteral("raquo"), QChar(0xBB)},      {QStringLiteral("laquo"), QChar(0xAB)},
        {QStringLiteral("rsaquo"), QChar(0x203A)},   {QStringLiteral("lsaquo"), QChar(0x2039)},
        {QStringLiteral("rarr"), QChar(0x2192)},     {QStringLiteral("larr"), QChar(0x2190)},
    };
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const qsizetype semicolon =
            c == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i + 1) : -1;
        if (semicolon < 0 || semicolon - i > 10) {
            out.append(c);
            ++i;
            continue;
        }
        const QStringView name = text.mid(i + 1, semicolon - i - 1);
        bool decoded = false;
        if (name.startsWith(QLatin1Char('#')) && name.size() > 1) {
            bool ok = false;
            const bool hex = name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X');
            const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t point = code;
                out.append(QString::fromUcs4(&point, 1));
                decoded = true;
            }
        } else if (const auto found = named.constFind(name.toString()); found != named.cend()) {
            out.append(*found);
            decoded = true;
        }
        if (decoded) {
            i = semicolon + 1;
        } else {
            out.append(c);
            ++i;
        }
    }
    return out;
}

QList<PageLink> pageLinks(QStringView html) {
    QList<PageLink> links;
    qsizetype i = 0;
    while ((i = html.indexOf(QLatin1Char('<'), i)) >= 0) {
        const bool anchor = opensTag(html, i, QLatin1String("a"));
        const bool link = !anchor && opensTag(html, i, QLatin1String("link"));
        if (!anchor && !link) {
            ++i;
            continue;
        }
        const Tag tag = readTag(html, i + (anchor ? 2 : 5));
        if (tag.end < 0)
            break;
        PageLink found;
        found.href = tag.attributes.value(QStringLiteral("href"));
        found.relNext = hasRelNext(tag);
        i = tag.end;
        if (anchor) {
            qsizetype close = html.indexOf(QLatin1String("</a"), i, Qt::CaseInsensitive);
            if (close < 0)
                close = html.size();
            const QStringView inner = html.mid(i, close - i);
            found.text = visibleText(inner);
            // A link drawn as a picture ("下一章" button) reads as its alt or title.
            if (found.text.isEmpty())
                found.text = imageWords(inner);
            if (found.text.isEmpty())
                found.text = tag.attributes.value(QStringLiteral("title")).simplified();
            i = close;
        }
        links.append(found);
    }
    return links;
}

QString baseHrefOf(QStringView html) {
    qsizetype i = 0;
    while ((i = html.indexOf(QLatin1String("<base"), i, Qt::CaseInsensitive)) >= 0) {
        if (opensTag(html, i, QLatin1String("base")))
            return readTag(html, i + 5).attributes.value(QStringLiteral("href"));
        ++i;
    }
    return {};
}

} // namespace serial
