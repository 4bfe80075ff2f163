#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace links {

// The commands that harvest the links of a page; each accepts links by its own rule.
enum class LinkCommand {
    OpenAllW,    // every page link, relative ones made absolute
    OpenPageA,   // every address, mail links too
    OpenAllX,    // relative links only
    OpenAllJ,    // absolute http links only
    OpenSelectA, // links inside the selection
    SaveToHref,  // every link, written to href.txt
};

// The command for a name as the tools spell it ("openallw", "opencwpallwz", "openallx",
// "openallj", "opensallp", "savehref"); no value for an unknown name.
std::optional<LinkCommand> linkCommandFromName(QStringView name);

struct HarvestedLink {
    QString url;             // what the command opens or writes
    qsizetype attribute = 0; // 0-based index of the "href=" in the scan text
    qsizetype valueEnd = 0;  // 0-based index of the closing quote
};

// Finds the links of a page that `command` accepts, in page order. The scan looks for the
// exact text href= followed by a quote (one blank may stand before the quote); unquoted
// values and HREF= in capitals are not links. Each value is read as the engine reads it
// (see AddressResolver): character references decoded, blanks removed, resolved against the
// page's base (its first <base href>, else `pageUrl`), the query encoded in `charset` (the
// page's document.characterSet; "" means UTF-8). A scheme counts only when written as one
// ("mailbox.html" is relative). Values without an address are left out. Every command but
// SaveToHref drops repeats; all but SaveToHref and OpenAllJ collapse "//" in the path; all
// but SaveToHref and OpenPageA drop links to non-page files.
// Example: scanLinks(u"<a href=\"b.htm\">", "http://h/d/a.htm", LinkCommand::OpenAllW)
// gives one link, "http://h/d/b.htm".
QList<HarvestedLink> scanLinks(QStringView scanText, const QString &pageUrl, LinkCommand command,
                               const QString &charset = QString());

// The links of a page as the scan finds them for `command`, before the non-page filter and
// the repeat check (their slashes collapsed where the command collapses them).
QList<HarvestedLink> scanLinkCandidates(QStringView scanText, const QString &pageUrl,
                                        LinkCommand command, const QString &charset = QString());

// The lines appended to href.txt for one run: "[1]=url" CR LF, "[2]=url" CR LF, ...
QString hrefFileLines(const QList<HarvestedLink> &links);

} // namespace links
