#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace editing {

// Every occurrence of `selection` removed from the text, exactly (letter case counts), left
// to right. Example: removeEvery(u"a-b-a", u"a") == "-b-".
QString removeEvery(QStringView text, QStringView selection);

// The favourites file without the favourite that holds `selection`: inside an entry row
// ("<tr " ... "</tr>") the whole row goes, as its delete button would remove it; elsewhere
// the line that holds it (with its CR LF). No value when the selection is not in the file.
std::optional<QString> removeFavouriteHolding(QStringView file, QStringView selection);

} // namespace editing
