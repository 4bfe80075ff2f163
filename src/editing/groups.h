#pragma once

#include <QStringList>
#include <QStringView>

namespace editing {

// The addresses of a group file, one per line in order, blanks trimmed: a line holding "("
// and ")" gives the text between the first "(" and the first ")" after it (a title may stand
// before: 首页(file:///D:/a.htm)); any other line is taken whole, an empty line too.
QStringList groupAddresses(QStringView file);

} // namespace editing
