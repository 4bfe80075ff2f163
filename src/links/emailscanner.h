#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace links {

// Every "@" in the HTML is taken as the middle of an address: the run of address characters
// (ASCII letters and digits, "_", "-", ".") before it and after it, in page order, repeats
// kept. A run with nothing before the "@" or nothing after it is no address ("@media" in a
// style sheet); dots that end the domain are not part of it.
// Example: scanEmails(u"写信给 li.ming@example.com。") == {"li.ming@example.com"}.
QStringList scanEmails(QStringView html);

// The addresses of one run that go into email.txt, in order: an address that already stands
// on a line of its own in `previousContent` (the file as it was before the run; its first
// occurrence decides) is left out, and so is one equal to the address written just before.
QStringList emailsToAppend(QStringView previousContent, const QStringList &addresses);

// The records for email.txt: for each address three lines (address, page address, page
// title), each ended by CR LF.
QString emailRecords(const QStringList &addresses, const QString &pageUrl, const QString &title);

} // namespace links
