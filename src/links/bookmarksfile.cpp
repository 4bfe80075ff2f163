#include "bookmarksfile.h"

#include "common/characterreferences.h"
#include "common/urlrules.h"

#include <QUrl>

#include <optional>

namespace links::bookmarks {

namespace {

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The position of the ">" that ends the tag opened at `lt`; a ">" inside a quoted attribute
// value does not end it. -1 when the tag never ends.
qsizetype tagEnd(QStringView text, qsizetype lt) {
    QChar quote;
    QChar lastNonSpace;
    for (qsizetype i = lt + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'>') {
            return i;
        } else if ((c == u'"' || c == u'\'') && lastNonSpace == u'=') {
            quote = c;
        }
        if (!isSpace(c))
            lastNonSpace = c;
    }
    return -1;
}

// The value of the attribute `name` (lower case) of a tag's text, character references
// decoded; no value when the tag has no such attribute.
std::optional<QString> attribute(QStringView tag, QStringView name) {
    qsizetype i = 1;
    while (i < tag.size() && !isSpace(tag[i]) && tag[i] != u'>')
        ++i; // the tag's name
    while (i < tag.size()) {
        while (i < tag.size() && (isSpace(tag[i]) || tag[i] == u'/'))
            ++i;
        const qsizetype nameStart = i;
        while (i < tag.size() && !isSpace(tag[i]) && tag[i] != u'=' && tag[i] != u'>')
            ++i;
        const QStringView found = tag.sliced(nameStart, i - nameStart);
        while (i < tag.size() && isSpace(tag[i]))
            ++i;
        QStringView value;
        if (i < tag.size() && tag[i] == u'=') {
            ++i;
            while (i < tag.size() && isSpace(tag[i]))
                ++i;
            if (i < tag.size() && (tag[i] == u'"' || tag[i] == u'\'')) {
                const qsizetype close = tag.indexOf(tag[i], i + 1);
                const qsizetype end = close < 0 ? tag.size() : close;
                value = tag.sliced(i + 1, end - i - 1);
                i = end + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < tag.size() && !isSpace(tag[i]) && tag[i] != u'>')
                    ++i;
                value = tag.sliced(valueStart, i - valueStart);
            }
        } else if (found.isEmpty()) {
            ++i; // a stray character: step over it
        }
        if (!found.isEmpty() && found.compare(name, Qt::CaseInsensitive) == 0)
            return common::decodeCharacterReferences(value);
    }
    return std::nullopt;
}

// The tag's name in lower case, with its "/" for a closing tag: "dl", "/dl", "a", "h3".
QString tagName(QStringView text, qsizetype lt, qsizetype end) {
    qsizetype i = lt + 1;
    while (i < end && !isSpace(text[i]) && text[i] != u'>')
        ++i;
    return text.sliced(lt + 1, i - lt - 1).toString().toLower();
}

// The text of an element up to its closing tag (`close`, e.g. "</a"), decoded and trimmed;
// `next` receives where reading goes on.
QString elementText(QStringView text, qsizetype start, QStringView close, qsizetype *next) {
    qsizetype end = text.indexOf(close, start, Qt::CaseInsensitive);
    if (end < 0)
        end = text.size();
    *next = end;
    return common::decodeCharacterReferences(text.sliced(start, end - start)).trimmed();
}

QString escaped(const QString &text) {
    QString out = text.toHtmlEscaped();
    out.remove(u'\r');
    out.replace(u'\n', u' ');
    return out;
}

// Control characters (a NUL among them) have no place in a title or an address, nor in
// link.htm: each becomes a space.
QString withoutControls(QString text) {
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    }
    return text;
}

// A bookmark opens a page: a web address or a file. The program's own pages answer the moment
// they are asked, and a blank tab is no bookmark.
bool isBookmarkAddress(const QUrl &url) {
    return common::isOpenableAddress(url) &&
           (common::isWebAddress(url) || url.scheme() == QLatin1String("file"));
}

} // namespace

ReadBookmarks readBookmarks(QStringView html) {
    ReadBookmarks read;
    QStringList folders;
    QList<bool> listHasFolder;          // for every open <DL>: whether it opened a folder
    std::optional<QString> folderTitle; // an <H3> waiting for its <DL>
    qsizetype pos = 0;
    while (true) {
        const qsizetype lt = html.indexOf(u'<', pos);
        if (lt < 0)
            break;
        if (html.sliced(lt).startsWith(u"<!--")) {
            const qsizetype close = html.indexOf(u"-->", lt + 4);
            if (close < 0)
                break;
            pos = close + 3;
            continue;
        }
        const qsizetype end = tagEnd(html, lt);
        if (end < 0)
            break;
        pos = end + 1;
        const QString name = tagName(html, lt, end);
        if (name == u"h3") {
            folderTitle = elementText(html, end + 1, u"</h3", &pos);
        } else if (name == u"dl") {
            listHasFolder.append(folderTitle.has_value());
            if (folderTitle)
                folders.append(*folderTitle);
            folderTitle.reset();
        } else if (name == u"/dl") {
            if (!listHasFolder.isEmpty() && listHasFolder.takeLast())
                folders.removeLast();
        } else if (name == u"a") {
            folderTitle.reset();
            const QString address = withoutControls(
                attribute(html.sliced(lt, end - lt), u"href").value_or(QString()).trimmed());
            const QString title = withoutControls(elementText(html, end + 1, u"</a", &pos));
            if (address.isEmpty())
                continue;
            if (isBookmarkAddress(QUrl(address)))
                read.bookmarks.append({address, title, folders});
            else
                read.refused.append(address.left(200));
        }
    }
    return read;
}

QString writeBookmarks(const QList<favourites::Entry> &entries, const QString &folder,
                       qint64 addDate) {
    const QString date = QString::number(addDate);
    QString out = QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                                 "<!-- This is an automatically generated file.\n"
                                 "     It will be read and overwritten.\n"
                                 "     DO NOT EDIT! -->\n"
                                 "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                                 "charset=UTF-8\">\n"
                                 "<TITLE>Bookmarks</TITLE>\n"
                                 "<H1>Bookmarks</H1>\n"
                                 "<DL><p>\n");
    out += QStringLiteral("    <DT><H3 ADD_DATE=\"%1\" LAST_MODIFIED=\"%1\">%2</H3>\n    <DL><p>\n")
               .arg(date, escaped(folder));
    for (const favourites::Entry &entry : entries) {
        out += QStringLiteral("        <DT><A HREF=\"%1\" ADD_DATE=\"%2\">%3</A>\n")
                   .arg(escaped(entry.address), date, escaped(entry.comment));
    }
    out += QStringLiteral("    </DL><p>\n</DL><p>\n");
    return out;
}

} // namespace links::bookmarks
