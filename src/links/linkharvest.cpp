#include "linkharvest.h"

#include "selectionlinks.h"

#include "common/urlrules.h"

#include <QSet>

namespace links {

namespace {

bool textInSelection(const QString &text, const QString &lowerSelection) {
    return !text.isEmpty() && lowerSelection.contains(text.toLower());
}

// Every link to a non-page file: the page-link rules without their non-page filter.
QList<HarvestedLink> nonPageCandidates(QStringView scanText, const QString &pageUrl) {
    QList<HarvestedLink> files;
    QSet<QString> seen;
    for (const HarvestedLink &link : scanLinkCandidates(scanText, pageUrl, LinkCommand::OpenAllW)) {
        if (common::isNonPageLink(link.url) && !seen.contains(link.url)) {
            seen.insert(link.url);
            files.append(link);
        }
    }
    return files;
}

} // namespace

QList<LinkWithText> linksWithTexts(QStringView scanText, const QString &pageUrl,
                                   LinkCommand command) {
    QList<LinkWithText> links;
    for (const HarvestedLink &link : scanLinks(scanText, pageUrl, command))
        links.append({link.url, linkTextAt(scanText, link.attribute)});
    return links;
}

QStringList linksInSelection(QStringView scanText, const QString &pageUrl, QStringView selection,
                             LinkCommand command) {
    const QString lowerSelection = selection.toString().toLower();
    QStringList urls;
    for (const LinkWithText &link : linksWithTexts(scanText, pageUrl, command)) {
        if (textInSelection(link.text, lowerSelection))
            urls.append(link.url);
    }
    return urls;
}

QStringList nonPageLinks(QStringView scanText, const QString &pageUrl) {
    QStringList urls;
    for (const HarvestedLink &link : nonPageCandidates(scanText, pageUrl))
        urls.append(link.url);
    return urls;
}

QStringList nonPageLinksInSelection(QStringView scanText, const QString &pageUrl,
                                    QStringView selection) {
    const QString lowerSelection = selection.toString().toLower();
    QStringList urls;
    for (const HarvestedLink &link : nonPageCandidates(scanText, pageUrl)) {
        if (textInSelection(linkTextAt(scanText, link.attribute), lowerSelection))
            urls.append(link.url);
    }
    return urls;
}

} // namespace links
