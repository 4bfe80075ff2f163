#include "bookmarksfile.h"

#include "common/characterreferences.h"
#include "common/tagscan.h"
#include "common/urlrules.h"

#include <QUrl>

#include <list>
#include <optional>

namespace links::bookmarks {

namespace {

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
        const qsizetype end = common::tagEnd(html, lt);
        if (end < 0)
            break;
        pos = end;
        const QString name = common::tagName(html, lt);
        if (name == u"h3") {
            folderTitle = elementText(html, end, u"</h3", &pos);
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
            const QString address =
                withoutControls(common::tagAttribute(html.sliced(lt, end - lt), u"href")
                                    .value_or(QString())
                                    .trimmed());
            const QString title = withoutControls(elementText(html, end, u"</a", &pos));
            if (address.isEmpty())
                continue;
            const qint64 added = common::tagAttribute(html.sliced(lt, end - lt), u"add_date")
                                     .value_or(QString())
                                     .toLongLong();
            if (isBookmarkAddress(QUrl(address)))
                read.bookmarks.append({address, title, folders, qMax<qint64>(added, 0)});
            else
                read.refused.append(address.left(200));
        }
    }
    return read;
}

QString folderPath(const QStringList &folders) {
    QStringList names;
    for (const QString &name : folders)
        names.append(withoutControls(name).replace(u'/', u'／').trimmed());
    return names.join(u'/');
}

QStringList folderNames(const QString &path) {
    return path.isEmpty() ? QStringList() : path.split(u'/');
}

namespace {

// The folders of a bookmark file as a tree: each folder's entries and sub-folders in the order
// they first appear (a std::list, so that a folder stays where it is while others are added).
struct FolderNode {
    QString name;
    QList<const favourites::Entry *> entries;
    std::list<FolderNode> folders;
    FolderNode &child(const QString &childName) {
        for (FolderNode &folder : folders) {
            if (folder.name == childName)
                return folder;
        }
        return folders.emplace_back(FolderNode{childName, {}, {}});
    }
};

void writeFolder(QString &out, const FolderNode &node, const QString &date, int depth) {
    const QString indent(4 * depth, u' ');
    out += QStringLiteral("%1<DT><H3 ADD_DATE=\"%2\" LAST_MODIFIED=\"%2\">%3</H3>\n%1<DL><p>\n")
               .arg(indent, date, escaped(node.name));
    for (const favourites::Entry *entry : node.entries) {
        out += QStringLiteral("%1    <DT><A HREF=\"%2\" ADD_DATE=\"%3\">%4</A>\n")
                   .arg(indent, escaped(entry->address),
                        entry->added > 0 ? QString::number(entry->added) : date,
                        escaped(entry->comment));
    }
    for (const FolderNode &folder : node.folders)
        writeFolder(out, folder, date, depth + 1);
    out += indent + QStringLiteral("</DL><p>\n");
}

} // namespace

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
    // The entries of no folder in `folder`, first; the others in their own folders after it.
    FolderNode top;
    FolderNode &own = top.child(folder);
    for (const favourites::Entry &entry : entries) {
        FolderNode *node = &own;
        if (!entry.folder.isEmpty()) {
            node = &top;
            for (const QString &name : folderNames(entry.folder))
                node = &node->child(name);
        }
        node->entries.append(&entry);
    }
    for (const FolderNode &node : top.folders) {
        if (&node != &top.folders.front() || !node.entries.isEmpty() || !node.folders.empty())
            writeFolder(out, node, date, 1);
    }
    out += QStringLiteral("</DL><p>\n");
    return out;
}

} // namespace links::bookmarks
