#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace fulltext {
class IndexService;
}

namespace shell {

// The HTML of the program's own page at `address` ("lumaro:searchsaved?q=天气"), through
// `reply`: the results page searches `index` (none: the page says searching is off) and
// answers when the search has; "" for an address that names no page of the program.
void makeProgramPage(fulltext::IndexService *index, const QUrl &address,
                     std::function<void(const QString &html)> reply);

} // namespace shell
