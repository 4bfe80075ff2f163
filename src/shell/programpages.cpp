#include "programpages.h"

#include "fulltext/indexservice.h"
#include "fulltext/resultspage.h"
#include "history/historypage.h"
#include "history/historyservice.h"

#include <QDateTime>
#include <QPointer>
#include <QUrlQuery>

namespace shell {

namespace {

void makeHistoryPage(history::HistoryService *store, const QUrl &address,
                     std::function<void(const QString &html)> reply) {
    using history::HistoryRequest;
    const HistoryRequest request = history::historyRequest(address);
    if (!store) {
        reply(history::historyPageHtml(address, request, {}, QDateTime::currentDateTime()));
        return;
    }
    if (request.action != HistoryRequest::Action::None) {
        if (history::needsConfirmation(request) && !request.confirmed) {
            reply(history::confirmationHtml(address, request));
            return;
        }
        using Removal = history::HistoryService::Removal;
        Removal what = Removal::All;
        QVariant value;
        switch (request.action) {
        case HistoryRequest::Action::DeleteVisit:
            what = Removal::Visit;
            value = request.target.toLongLong();
            break;
        case HistoryRequest::Action::DeleteSite:
            what = Removal::Site;
            value = request.target;
            break;
        case HistoryRequest::Action::ClearHour:
        case HistoryRequest::Action::ClearToday:
            what = Removal::Since;
            value = history::clearFrom(request.action, QDateTime::currentDateTime());
            break;
        default:
            break;
        }
        store->remove(what, value, [address, request, reply](int removed) {
            reply(history::afterDeletionHtml(address, request, removed));
        });
        return;
    }
    store->visits(
        request.words, request.before, history::kVisitsPerPage + 1,
        [address, request, reply](const QList<history::Visit> &visits) {
            reply(history::historyPageHtml(address, request, visits, QDateTime::currentDateTime()));
        });
}

} // namespace

void makeProgramPage(fulltext::IndexService *index, history::HistoryService *history,
                     const QUrl &address, std::function<void(const QString &html)> reply) {
    if (address.path() == QLatin1String("history")) {
        makeHistoryPage(history, address, std::move(reply));
        return;
    }
    if (address.path() == QLatin1String("readpage")) {
        if (!index) {
            reply(QString());
            return;
        }
        // The address as the page was read, its own %-escapes kept: one level of escaping off.
        const QString page = QUrl::fromPercentEncoding(
            QUrlQuery(address).queryItemValue(QStringLiteral("u"), QUrl::FullyEncoded).toUtf8());
        index->readPage(
            page, [reply](const fulltext::ReadPage &read) { reply(fulltext::readPageHtml(read)); });
        return;
    }
    if (address.path() != QLatin1String("searchsaved")) {
        reply(QString());
        return;
    }
    fulltext::ResultsRequest request = fulltext::resultsRequest(address);
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
    // The switch 已保存 / 读过 / 全部 is remembered: a page asked for without it has the last one.
    if (request.scope)
        index->setScope(*request.scope);
    else
        request.scope = index->scope();
    if (request.query.trimmed().isEmpty()) {
        const fulltext::IndexStatus status = index->status();
        reply(fulltext::resultsPageHtml(address, request, {true, {}, {}, 0}, &status));
        return;
    }
    QPointer<fulltext::IndexService> service(index);
    index->search(
        request.query, request.start, fulltext::kHitsPerPage,
        [address, request, reply, service](const fulltext::SearchResults &results) {
            const fulltext::IndexStatus status =
                service ? service->status() : fulltext::IndexStatus{};
            reply(fulltext::resultsPageHtml(address, request, results, &status));
        },
        [&] {
            fulltext::SearchFilters scope;
            scope.scope = *request.scope;
            return scope;
        }());
}

} // namespace shell
