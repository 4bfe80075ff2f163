#include "addresscompletion.h"

#include <QSet>

namespace history {

QStringList completionWords(const QString &typed) {
    return typed.split(u' ', Qt::SkipEmptyParts);
}

bool matchesAllWords(const QStringList &words, const QString &address, const QString &title) {
    for (const QString &word : words) {
        if (!address.contains(word, Qt::CaseInsensitive) &&
            !title.contains(word, Qt::CaseInsensitive))
            return false;
    }
    return !words.isEmpty();
}

double frecency(int visits, qint64 lastVisitMs, qint64 nowMs) {
    constexpr qint64 kDay = 24 * 60 * 60 * 1000;
    const qint64 age = nowMs - lastVisitMs;
    const int weight = age <= 4 * kDay    ? 100
                       : age <= 14 * kDay ? 70
                       : age <= 31 * kDay ? 50
                       : age <= 90 * kDay ? 30
                                          : 10;
    return double(visits) * weight;
}

QList<Completion> completionList(const QString &typed, const QList<Completion> &favourites,
                                 const QList<Completion> &history, const QList<Completion> &saved,
                                 int limit) {
    const QStringList words = completionWords(typed);
    QList<Completion> list;
    if (words.isEmpty())
        return list;
    QSet<QString> shown;
    const auto add = [&](const Completion &row) {
        if (list.size() < limit && !row.address.isEmpty() && !shown.contains(row.address)) {
            shown.insert(row.address);
            list.append(row);
        }
    };
    for (const Completion &row : favourites) {
        if (matchesAllWords(words, row.address, row.title))
            add(row);
    }
    for (const Completion &row : history)
        add(row);
    for (const Completion &row : saved)
        add(row);
    list.append({Completion::Kind::SearchSaved, QString(), typed.trimmed()});
    return list;
}

} // namespace history
