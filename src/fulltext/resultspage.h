#pragma once

#include "indexstatus.h"
#include "savedsearch.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace fulltext {

// The page "搜索已保存的网页": a query box and one page of hits, best first.
inline constexpr int kHitsPerPage = 20;

// What a load of the page asks for: its address's query "?q=words&start=20".
struct ResultsRequest {
    QString query;
    int start = 0; // the first hit shown, a multiple of kHitsPerPage
    // Saved files, pages read or both ("in=saved|read|all"); none when the address does not say.
    std::optional<SearchFilters::Scope> scope = std::nullopt;
};

// Reads the request from the page's address as a form sends it ("+" for a space); a
// missing or wrong start gives 0.
// Example: "file:///d/searchsaved.htm?q=%E5%A4%A9%E6%B0%94+x&start=20" gives {"天气 x", 20}.
ResultsRequest resultsRequest(const QUrl &address);

// The address of the page for `request`, on the page's own address `page`.
QUrl resultsAddress(const QUrl &page, const ResultsRequest &request);

// The whole HTML (UTF-8 declared) of the page: a form that loads `page` again with the words
// typed, then for each hit its title (a link to the file), file name, folder, time saved,
// the address it came from (a link only for http and https) and the snippet with the words
// found in <mark>; links to the pages before and after. Every value is HTML-escaped and the
// page allows no script but its own (which searches again as the user types), so nothing of
// a saved file can run in it. `results` is the search
// for `request`; times are shown in local time. With `status`, a line at the top tells how
// many documents the index holds and when its last scan ended, or how far the running scan
// has come ("正在建立索引 1,234/10,000"), with a button that scans again (kRescanItem).
QString resultsPageHtml(const QUrl &page, const ResultsRequest &request,
                        const SearchResults &results, const IndexStatus *status = nullptr);

// The page that shows the text the index keeps of a page read: its title, a link to its
// address, when it was read and the text; "" when `page` is empty (the index holds none).
QString readPageHtml(const ReadPage &page);

// The item of the page's address that asks for a scan of the save folder ("rescan=1").
inline constexpr char kRescanItem[] = "rescan";

} // namespace fulltext
