#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace history {

// One row of the list under the address box.
struct Completion {
    enum class Kind {
        Favourite,   // an entry of the favourites page (also an imported bookmark)
        History,     // a page visited, ranked by how often and how lately
        Saved,       // a saved page whose title holds the words
        SearchSaved, // the last row: the words searched for in the saved pages
    };
    Kind kind = Kind::History;
    QString address; // what Enter opens
    QString title;
    friend bool operator==(const Completion &, const Completion &) = default;
};

// The words of what was typed, as the list matches them (split at blanks).
QStringList completionWords(const QString &typed);

// Whether every word is found in the address or the title, any letter case.
bool matchesAllWords(const QStringList &words, const QString &address, const QString &title);

// How much a page counts in the list: its visits, weighed by how lately it was last visited
// (the last four days count most, then the last two weeks, the month, three months, older).
// Example: 3 visits yesterday give 300; 3 visits half a year ago give 30.
double frecency(int visits, qint64 lastVisitMs, qint64 nowMs);

// The list for `typed`, best first, each address once: favourites holding the words, then
// `history` (already ranked), then `saved` titles, at most `limit` of them, and last the row
// that searches the saved pages for the words. Empty for blank text.
QList<Completion> completionList(const QString &typed, const QList<Completion> &favourites,
                                 const QList<Completion> &history, const QList<Completion> &saved,
                                 int limit);

} // namespace history
