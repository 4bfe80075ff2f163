#pragma once

#include <QList>
#include <QStringList>
#include <QStringView>

namespace editing {

// The addresses of a group file, one per line in order, blanks trimmed: a line holding "("
// and ")" gives the text between the first "(" and the first ")" after it (a title may stand
// before: 首页(file:///D:/a.htm)); any other line is taken whole, an empty line too.
QStringList groupAddresses(QStringView file);

} // namespace editing

namespace editing {

struct GroupPage {
    QString title;
    QString address;
};

// A group file's text for these pages, in order: one "title(address)" line each, ended by
// CR LF, so that groupAddresses() gives the addresses back. Line breaks in a title become
// blanks and its brackets full-width ones; brackets in an address are percent-encoded, which
// names the same address. Example: {{"首页", "http://h/a"}} gives "首页(http://h/a)\r\n".
QString groupFileText(const QList<GroupPage> &pages);

} // namespace editing
