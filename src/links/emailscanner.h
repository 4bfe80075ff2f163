#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace links {

// The e-mail addresses written in a page's HTML, in page order, repeats kept, read as mail
// programs read them: around each "@" a dot-atom local part (letters, digits and
// . ! # $ % * + - ^ _ ~; "team+news@example.com" is one address) and a domain with at least
// one dot whose last label is letters (ASCII or, in internationalised names such as
// "例子.中国", other letters). "logo@2x.png", "@media" and "a@b" are no addresses; Chinese
// text or punctuation around an ASCII address is not part of it, and a mailto link's
// "?subject=..." ends its address.
// Example: scanEmails(u"写信给 li.ming@example.com。") == {"li.ming@example.com"}.
QStringList scanEmails(QStringView html);

// The addresses of one run that go into email.txt, in order: an address that already stands
// on a line of its own in `previousContent` (the file as it was before the run; its first
// occurrence decides) is left out, and each address is written once per run.
QStringList emailsToAppend(QStringView previousContent, const QStringList &addresses);

// The records for email.txt: for each address three lines (address, page address, page
// title), each ended by CR LF.
QString emailRecords(const QStringList &addresses, const QString &pageUrl, const QString &title);

} // namespace links
