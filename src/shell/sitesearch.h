#pragma once

#include <QUrl>

namespace shell {

// The program's web site, as the two site searches look it up.
inline constexpr char kSiteName[] = "CorvanePDF小说网";

// The first engine's results address: path "/s", wd = the site name with "PDF" in lower case,
// percent-encoded in GBK, then cl=3.
QUrl firstEngineSearchUrl();

// The second engine's results address: path "/search" with complete=1, hl=zh-CN, q = the
// site name in UTF-8, btnG = the search button's label ("+" for the blank), meta empty.
QUrl secondEngineSearchUrl();

} // namespace shell
