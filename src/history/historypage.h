#pragma once

#include "historystore.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

namespace history {

// The page "历史记录" (lumaro:history): visits by day, newest first, a search box over
// addresses and titles, and deletion of a visit, of a site, of the last hour, of today, of
// everything. Deleting asks on the page first, except for one visit.
inline constexpr int kVisitsPerPage = 200;

// What a load of the page asks for, read from its address.
struct HistoryRequest {
    enum class Action { None, DeleteVisit, DeleteSite, ClearHour, ClearToday, ClearAll };
    QString words;     // q=
    qint64 before = 0; // before= (ms since 1970): the visits older than it; 0 for the newest
    Action action = Action::None;
    QString target;         // the visit's id (delete=) or the host (site=)
    bool confirmed = false; // confirm=1
    int removed = -1;       // done=N: the visits a deletion just took out
};

HistoryRequest historyRequest(const QUrl &address);

// Whether the action takes more than one visit and so is asked about first.
bool needsConfirmation(const HistoryRequest &request);
// The first moment a clear of the last hour or of today takes out (ms since 1970); 0 for all.
qint64 clearFrom(HistoryRequest::Action action, const QDateTime &now);

// The page with `visits` (at most kVisitsPerPage + 1: one more tells that older ones exist).
// Every value is HTML-escaped and the page runs no script at all.
QString historyPageHtml(const QUrl &page, const HistoryRequest &request, const QList<Visit> &visits,
                        const QDateTime &now);
// The question asked before a deletion of many visits, with its two buttons.
QString confirmationHtml(const QUrl &page, const HistoryRequest &request);
// After a deletion: straight on to the list, with how many went (the deletion's own address is
// not kept, so a reload deletes nothing more).
QString afterDeletionHtml(const QUrl &page, const HistoryRequest &request, int removed);

} // namespace history
