#pragma once

#include <QStringList>
#include <QUrl>

// A page read from the disk (a saved page, the favourites page) keeps its scripts, and must
// reach nothing outside the machine on its own: whatever it asks for that would leave is
// refused unless the user asked for it. These rules decide each request as a plain value.
namespace browser {

// True for a document read from the disk: a file: address, or a blob: document such a page
// made (its origin is the file's, or opaque: "blob:null/…", "blob:file:///…"). Example: true
// for QUrl::fromLocalFile("/data/a.htm") and "blob:null/1f0c…", false for
// "http://127.0.0.1/a.htm", "blob:http://127.0.0.1/1f0c…" and "about:blank".
bool isLocalDocument(const QUrl &url);

// True for an address that leaves the machine or the program: every scheme but file:, data:,
// blob:, about:, qrc: and the program's own pages (lumaro:). Example: true for http:, https:, ws:,
// wss:, ftp: and mailto:; false for an empty address.
bool reachesOut(const QUrl &url);

// One request of a page.
struct PageRequest {
    enum class Kind {
        Subresource, // images, scripts, fetch, sockets, workers' requests, ...
        Frame,       // a frame inside the page navigates
        MainFrame,   // the page itself navigates
        NewWindow,   // the page asks for a new window (window.open, target=_blank)
    };
    bool fromLocalPage = false; // made by a local document, or a frame or worker of one
    QUrl target;
    Kind kind = Kind::Subresource;
    bool byUser = false; // follows the user's own click or key, or the program's own load
};

// Whether the request may go on: always for a page from the web, and for anything that stays
// on the machine; from a local page, a request that reaches out only when it is the page's
// own navigation or a new window that the user asked for. Subresources and frames of a local
// page never reach out.
bool mayGoOn(const PageRequest &request);

// Whether an address read from a data file (the session, a group, link.htm) or handed over by
// another start may open: web pages (http:, https:) and files (the program's own pages are
// files). javascript: would run inside the page shown, and the engine's own addresses
// (chrome://crash, view-source:) do what no stored list should ask for. A blank tab (an empty
// address, about:blank) may open.
bool isOpenableAddress(const QUrl &url);

// The addresses of `urls` that may open, in order; the others' texts go to `refused`.
QList<QUrl> openableAddresses(const QList<QUrl> &urls, QStringList *refused);

// What s2 says of the refused addresses: "没有打开 2 个不能打开的地址（只打开 http、https 和
// file 网址）：javascript:go() chrome://crash".
QString refusedAddressesText(const QStringList &refused);

} // namespace browser
