#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace editing {

// Every occurrence of `selection` removed from the text the page shows, exactly (letter case
// counts), left to right; tags, attribute values, comments, scripts and styles stay as they
// are. Example: removeFromShownText(u"<p title=\"ad\">ad x</p>", u"ad") == "<p title=\"ad\">
// x</p>".
QString removeFromShownText(QStringView html, QStringView selection);

// The favourites file without the favourite that holds `selection`, looked for where the page
// shows text: inside an entry row ("<tr " ... "</tr>") the whole row goes with its line end,
// as its delete button would remove it; elsewhere the line that holds it with its line end
// (CR LF, LF or CR, as the file has them). Everything else keeps its characters. A selection
// holding & < > or " is also looked for as the file writes it (&amp; ...). No value when the
// selection is not shown text of the file.
std::optional<QString> removeFavouriteHolding(QStringView file, QStringView selection);

} // namespace editing
