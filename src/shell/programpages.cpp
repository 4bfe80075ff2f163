#include "programpages.h"

#include "fulltext/indexservice.h"
#include "fulltext/resultspage.h"

namespace shell {

void makeProgramPage(fulltext::IndexService *index, const QUrl &address,
                     std::function<void(const QString &html)> reply) {
    if (address.path() != QLatin1String("searchsaved")) {
        reply(QString());
        return;
    }
    const fulltext::ResultsRequest request = fulltext::resultsRequest(address);
    if (request.query.trimmed().isEmpty()) {
        reply(fulltext::resultsPageHtml(address, request, {true, {}, {}, 0}));
        return;
    }
    if (!index) {
        reply(fulltext::resultsPageHtml(address, request,
                                        {false, QStringLiteral("没有建立全文索引"), {}, 0}));
        return;
    }
    index->search(request.query, request.start, fulltext::kHitsPerPage,
                  [address, request, reply](const fulltext::SearchResults &results) {
                      reply(fulltext::resultsPageHtml(address, request, results));
                  });
}

} // namespace shell
