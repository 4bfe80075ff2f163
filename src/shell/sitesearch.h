#pragma once

#include <QUrl>

namespace shell {

// The program's web site, as the two site searches look it up.
inline constexpr char kSiteName[] = "CorvanePDF小说网";

// The first engine's results address: path "/s", wd = the site name with "PDF" in lower case,
// percent-encoded in GBK, then cl=3.
QUrl firstEngineSearchUrl();
// The first engine's results for any words, encoded the same way.
QUrl firstEngineSearchUrl(const QString &words);

// What a text typed into the address box opens: the address it names when it looks like one
// ("example.com", "http://...", "/home/a.htm", "localhost:8080", "about:blank"), otherwise the
// first engine's search for it ("hello world"). Empty for an empty text.
QUrl addressForTypedText(const QString &text);

// The second engine's results address: path "/search" with complete=1, hl=zh-CN, q = the
// site name in UTF-8, btnG = the search button's label ("+" for the blank), meta empty.
QUrl secondEngineSearchUrl();

} // namespace shell
