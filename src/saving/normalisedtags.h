#pragma once

#include <QString>
#include <QStringView>

namespace saving {

// The markup with every tag written one way, so that markers typed from a page's source
// match the markup the engine gives: inside tags letters are lower case, runs of white space
// are one space (none around "=" or before ">"), every attribute value is in double quotes
// and "&amp;" in a value is "&". Text between tags is left as it is.
// Example: normaliseTags(u"<FONT color=#0000ff  size='4'><B>x</B>") ==
// "<font color=\"#0000ff\" size=\"4\"><b>x</b>".
QString normaliseTags(QStringView markup);

} // namespace saving
