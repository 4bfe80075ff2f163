#include "markup.h"

#include "common/characterreferences.h"
#include "common/tagscan.h"

#include <QHash>

namespace serial {

namespace {

struct Tag {
    QHash<QString, QString> attributes; // names in lower case, values decoded
    qsizetype end = -1;                 // just after the closing '>', -1 when the tag is cut
};

Tag readTag(QStringView html, qsizetype lt) {
    Tag tag;
    common::TagAttributeReader reader(html.sliced(lt));
    while (const auto attribute = reader.next()) {
        const QString name = attribute->name.toString().toLower();
        if (!tag.attributes.contains(name))
            tag.attributes.insert(name, common::decodeCharacterReferences(attribute->rawValue));
    }
    tag.end = reader.end() < 0 ? -1 : lt + reader.end();
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
    return common::decodeCharacterReferences(text).simplified();
}

// The words an image link shows instead of text: the alt (else title) of its images.
QString imageWords(QStringView markup) {
    QStringList words;
    qsizetype i = 0;
    while ((i = markup.indexOf(QLatin1Char('<'), i)) >= 0) {
        if (!common::opensTag(markup, i, u"img")) {
            ++i;
            continue;
        }
        const Tag img = readTag(markup, i);
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

QList<PageLink> pageLinks(QStringView html) {
    QList<PageLink> links;
    qsizetype i = 0;
    while ((i = html.indexOf(QLatin1Char('<'), i)) >= 0) {
        const bool anchor = common::opensTag(html, i, u"a");
        const bool link = !anchor && common::opensTag(html, i, u"link");
        if (!anchor && !link) {
            ++i;
            continue;
        }
        const Tag tag = readTag(html, i);
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
        if (common::opensTag(html, i, u"base"))
            return readTag(html, i).attributes.value(QStringLiteral("href"));
        ++i;
    }
    return {};
}

} // namespace serial
