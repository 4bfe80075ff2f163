#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace fulltext {
class IndexService;
}
namespace history {
class HistoryService;
}

namespace shell {

// The HTML of the program's own page at `address` ("lumaro:searchsaved?q=天气"), through
// `reply`: the results page searches `index` (none: the page says searching is off) and
// answers when the search has; the history page ("lumaro:history") reads and changes
// `history`; "" for an address that names no page of the program.
void makeProgramPage(fulltext::IndexService *index, history::HistoryService *history,
                     const QUrl &address, std::function<void(const QString &html)> reply);

} // namespace shell
