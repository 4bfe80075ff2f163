#include "programpages.h"

#include "fulltext/indexservice.h"
#include "fulltext/resultspage.h"

#include <QPointer>
#include <QUrlQuery>

namespace shell {

void makeProgramPage(fulltext::IndexService *index, const QUrl &address,
                     std::function<void(const QString &html)> reply) {
    if (address.path() != QLatin1String("searchsaved")) {
        reply(QString());
        return;
    }
    const fulltext::ResultsRequest request = fulltext::resultsRequest(address);
    if (!index) {
        reply(fulltext::resultsPageHtml(
            address, request,
            {request.query.trimmed().isEmpty(),
             request.query.trimmed().isEmpty() ? QString() : QStringLiteral("没有建立全文索引"),
             {},
             0}));
        return;
    }
    if (QUrlQuery(address).queryItemValue(QLatin1String(fulltext::kRescanItem)) == u"1")
        index->rescan();
    if (request.query.trimmed().isEmpty()) {
        const fulltext::IndexStatus status = index->status();
        reply(fulltext::resultsPageHtml(address, request, {true, {}, {}, 0}, &status));
        return;
    }
    QPointer<fulltext::IndexService> service(index);
    index->search(request.query, request.start, fulltext::kHitsPerPage,
                  [address, request, reply, service](const fulltext::SearchResults &results) {
                      const fulltext::IndexStatus status =
                          service ? service->status() : fulltext::IndexStatus{};
                      reply(fulltext::resultsPageHtml(address, request, results, &status));
                  });
}

} // namespace shell
