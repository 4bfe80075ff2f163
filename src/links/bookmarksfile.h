#pragma once

#include "favouritesfile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The Netscape bookmark file (bookmarks.html) that Firefox and Chromium export and import:
// "<DT><A HREF=... ADD_DATE=...>title</A>" entries in "<DT><H3>folder</H3><DL><p>...</DL><p>"
// folders.
namespace links::bookmarks {

struct Bookmark {
    QString address;     // as the file gives it, character references decoded
    QString title;       // character references decoded, outer white space removed
    QStringList folders; // the folders it is in, outermost first; empty at the top
    qint64 added = 0;    // ADD_DATE, seconds since 1970; 0 when the file does not say
};

struct ReadBookmarks {
    QList<Bookmark> bookmarks; // the entries that may open, in file order
    QStringList refused;       // the addresses left out (javascript:, place:, ...), in order
};

// The entries of a bookmark file's text. Addresses are untrusted: only web addresses and
// files are kept (an entry without an address is dropped; lumaro:, javascript:, place: are
// not), the others' texts go to `refused`; control characters become spaces. One pass over the
// text, however many entries it holds. Example:
// readBookmarks(u"<DL><p><DT><H3>新闻</H3><DL><p><DT><A HREF=\"https://a/\">甲&amp;乙</A>"
// "</DL><p></DL>").bookmarks == {{"https://a/", "甲&乙", {"新闻"}}}.
ReadBookmarks readBookmarks(QStringView html);

// A bookmark file of `entries` (the favourites' addresses and comments, in order), in UTF-8
// and with LF line ends, as Firefox and Chromium import it: an entry with a folder in that
// folder (nested as its path says), the others in one folder named `folder`; each added at its
// own time, or at `addDate` (seconds since 1970) when it has none. readBookmarks gives every
// address, title, folder path and time back.
// An entry's folder path from a bookmark's folders, and back: "新闻/国内" for {"新闻", "国内"};
// a "/" in a folder's name is written "／".
QString folderPath(const QStringList &folders);
QStringList folderNames(const QString &path);

QString writeBookmarks(const QList<favourites::Entry> &entries, const QString &folder,
                       qint64 addDate);

} // namespace links::bookmarks
