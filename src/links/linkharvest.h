#pragma once

#include "linkscanner.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace links {

struct LinkWithText {
    QString url;
    QString text; // see linkTextAt(); empty when the link has none of two characters or more
};

// The links `command` accepts on a page (as scanLinks finds them), each with its text.
QList<LinkWithText> linksWithTexts(QStringView scanText, const QString &pageUrl,
                                   LinkCommand command);

// The links `command` accepts whose text occurs in the selection, ignoring letter case; a
// link without a text of two characters or more is never taken. Page order, no repeats.
// Unlike selectedLinks(), a link alone counts: "第二章" selected takes the link 第二章.
QStringList linksInSelection(QStringView scanText, const QString &pageUrl, QStringView selection,
                             LinkCommand command);

// The page's links to files that are not pages (isNonPageLink), relative ones made absolute,
// page order, no repeats; with a selection only those whose text occurs in it.
QStringList nonPageLinks(QStringView scanText, const QString &pageUrl);
QStringList nonPageLinksInSelection(QStringView scanText, const QString &pageUrl,
                                    QStringView selection);

} // namespace links
