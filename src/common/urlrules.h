#pragma once

#include <QString>
#include <QStringView>

// Small rules about the link addresses the link commands harvest.
namespace common {

// Replaces every "//" by "/" in the path of the URL only; the "//" before the host, the query
// and the fragment stay. Example: "http://h//a//b?u=http://x" gives "http://h/a/b?u=http://x".
QString collapsePathSlashes(const QString &url);

// True for links to files that are not pages: the URL ends in .zip .exe .rar .mp3 .ppt .pdf
// .chm .scr .doc .wdl or .ra, in any letter case.
bool isNonPageLink(QStringView url);

} // namespace common
