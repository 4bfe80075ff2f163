#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Reading the few things the serial chain needs from a page's markup, as HTML reads them:
// attribute values with or without quotes, character references decoded.
namespace serial {

struct PageLink {
    QString href; // the attribute's value, references decoded ("" when absent)
    // The visible text: tags removed, references decoded. A link with no text reads as its
    // images' alt (else title) words, else its own title.
    QString text;
    bool relNext = false; // rel holds the token "next"
};

// Every <a> and <link> of the page, in page order (a <link> has no text).
// Example: pageLinks(u"<a href='2.htm?a=1&amp;b=2'>下一章</a>") gives {"2.htm?a=1&b=2", "下一章"}.
QList<PageLink> pageLinks(QStringView html);

// The href of the page's first <base>, or "".
QString baseHrefOf(QStringView html);

} // namespace serial
