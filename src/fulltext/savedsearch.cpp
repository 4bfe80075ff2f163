// Xapian's headers come before Qt's, whose keyword macros (signals, slots) they would meet.
#include <xapian.h>

#include "savedsearch.h"

#include "saveddocument.h"
#include "savedindex.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <future>
#include <optional>

namespace fulltext {

namespace {

constexpr unsigned kFlags = Xapian::QueryParser::FLAG_CJK_NGRAM | Xapian::QueryParser::FLAG_PHRASE |
                            Xapian::QueryParser::FLAG_LOVEHATE | Xapian::QueryParser::FLAG_BOOLEAN |
                            Xapian::QueryParser::FLAG_WILDCARD;
constexpr unsigned kSnippetFlags =
    Xapian::MSet::SNIPPET_EXHAUSTIVE | Xapian::MSet::SNIPPET_CJK_NGRAM;
constexpr size_t kSnippetBytes = 240;
// How much more a document counts when it holds the words side by side, or in its title.
constexpr double kPhraseBoost = 4;
constexpr double kTitleBoost = 2;

QString fromUtf8(const std::string &text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

Xapian::QueryParser makeParser(const Xapian::Database &db, const Xapian::Stem &stemmer) {
    Xapian::QueryParser parser;
    parser.set_database(db);
    parser.set_stemmer(stemmer);
    parser.set_stemming_strategy(Xapian::QueryParser::STEM_SOME);
    parser.set_default_op(Xapian::Query::OP_AND);
    parser.add_prefix("title", "S");
    parser.set_max_expansion(kMaxPrefixWords, Xapian::Query::WILDCARD_LIMIT_MOST_FREQUENT);
    return parser;
}

// The prefixes of the query's words that begin more words of the index than a prefix may
// stand for ("bookmark*" when more than kMaxPrefixWords words begin with "bookmark").
QStringList prefixesCutShort(const Xapian::Database &db, const QString &query) {
    static const QRegularExpression wildcard(QStringLiteral("(?:^|[\\s\"(:+-])([\\w]+)\\*"));
    QStringList cut;
    for (auto match = wildcard.globalMatch(query); match.hasNext();) {
        const QString prefix = match.next().captured(1).toLower();
        const std::string start = utf8(prefix);
        int count = 0;
        for (auto term = db.allterms_begin(start); term != db.allterms_end(start); ++term) {
            if (++count > kMaxPrefixWords)
                break;
        }
        if (count > kMaxPrefixWords && !cut.contains(prefix + u'*'))
            cut.append(prefix + u'*');
    }
    return cut;
}

// The query parser's operators, when written in capitals.
const QString kOperators = QStringLiteral("(AND|OR|NOT|XOR|NEAR|ADJ)");

// A query of plain words (no quotes, signs, fields or operators) can be taken as a phrase.
bool isPlainWords(const QString &query) {
    static const QRegularExpression special(
        QStringLiteral("[\"+\\-:()*]|\\b%1\\b").arg(kOperators));
    return !query.contains(special);
}

Xapian::Query parse(Xapian::QueryParser &parser, const QString &query,
                    const std::string &prefix = std::string()) {
    try {
        return parser.parse_query(utf8(query), kFlags, prefix);
    } catch (const Xapian::QueryParserError &) {
        // What does not parse as a query (an unmatched quote or bracket) is taken as words.
        return parser.parse_query(utf8(query), Xapian::QueryParser::FLAG_CJK_NGRAM, prefix);
    }
}

Xapian::Query buildQuery(const Xapian::Database &db, const Xapian::Stem &stemmer,
                         const QString &query) {
    Xapian::QueryParser parser = makeParser(db, stemmer);
    const Xapian::Query main = parse(parser, query);
    if (main.empty())
        return main;
    QList<Xapian::Query> boosts;
    const QString words = query.simplified();
    if (isPlainWords(words)) {
        const Xapian::Query phrase = parse(parser, u'"' + words + u'"');
        if (!phrase.empty())
            boosts.append(Xapian::Query(Xapian::Query::OP_SCALE_WEIGHT, phrase, kPhraseBoost));
    }
    const Xapian::Query title = parse(parser, query, "S");
    if (!title.empty())
        boosts.append(Xapian::Query(Xapian::Query::OP_SCALE_WEIGHT, title, kTitleBoost));
    if (boosts.isEmpty())
        return main;
    return Xapian::Query(Xapian::Query::OP_AND_MAYBE, main,
                         Xapian::Query(Xapian::Query::OP_OR, boosts.begin(), boosts.end()));
}

// The part of a document's text worth a snippet: some way around the first place that holds
// one of the words asked for (a word left out with "-" is no such word). Xapian reads all of
// the text it is given, and most saved pages are long. When no word is found as typed (an
// English word found by its stem), the beginning of the text.
QString snippetWindow(const QString &body, const QStringList &words) {
    constexpr qsizetype kBefore = 200;
    constexpr qsizetype kLength = 1200;
    qsizetype first = -1;
    for (const QString &word : words) {
        const qsizetype at = body.indexOf(word, 0, Qt::CaseInsensitive);
        if (at >= 0 && (first < 0 || at < first))
            first = at;
    }
    const qsizetype start = first < 0 ? 0 : qMax<qsizetype>(0, first - kBefore);
    return body.mid(start, kLength);
}

// The words of a query as they may stand in a text: without quotes, fields, operators and
// the words left out. Example: "title:北京 \"天气 预报\" -广告 OR x" gives 北京, 天气, 预报, x.
QStringList wordsOf(const QString &query) {
    static const QRegularExpression separators(QStringLiteral("[\\s\"()]+"));
    QStringList words;
    for (QString word : query.split(separators, Qt::SkipEmptyParts)) {
        if (word.startsWith(u'-'))
            continue;
        if (const qsizetype colon = word.indexOf(u':'); colon >= 0)
            word = word.mid(colon + 1);
        if (word.startsWith(u'+'))
            word.remove(0, 1);
        if (word.endsWith(u'*'))
            word.chop(1);
        static const QRegularExpression operatorWord(QStringLiteral("^%1$").arg(kOperators));
        if (!word.isEmpty() && !operatorWord.match(word).hasMatch())
            words.append(word);
    }
    return words;
}

// Xapian's snippets come HTML-escaped; a hit holds plain text, escaped where it is shown.
QString plainText(QString escaped) {
    return escaped.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

bool isHan(QChar c) {
    return c.script() == QChar::Script_Han;
}

// A hit as the index keeps it, without its snippet; `text` receives the text of a page read
// (the index keeps it, while a saved file is read again for the words around a hit).
SearchHit hitOf(const Xapian::Document &document, std::optional<QString> *text) {
    const QJsonObject data =
        QJsonDocument::fromJson(QByteArray::fromStdString(document.get_data())).object();
    SearchHit hit;
    hit.path = data.value(QStringLiteral("path")).toString();
    hit.title = data.value(QStringLiteral("title")).toString();
    hit.kind = data.value(QStringLiteral("kind")).toString();
    hit.source = data.value(QStringLiteral("source")).toString();
    hit.saved = qint64(data.value(QStringLiteral("saved")).toDouble());
    hit.size = qint64(Xapian::sortable_unserialise(document.get_value(kSizeValue)));
    if (hit.kind == QLatin1String(kReadKind))
        *text = data.value(QStringLiteral("text")).toString();
    return hit;
}

// The texts of the saved files among `hits` (nothing for a file that cannot be read), read
// on two threads: reading a page and turning it into text is most of what a search takes.
void readSavedTexts(const QList<SearchHit> &hits, std::vector<std::optional<QString>> &texts) {
    std::vector<qsizetype> files;
    for (qsizetype i = 0; i < hits.size(); ++i) {
        if (hits[i].kind != QLatin1String(kReadKind))
            files.push_back(i);
    }
    const auto read = [&](size_t from) {
        for (size_t k = from; k < files.size(); k += 2) {
            SavedDocument saved = readSavedDocument(hits[files[k]].path);
            if (saved.ok)
                texts[files[k]] = std::move(saved.body);
        }
    };
    auto other = files.size() > 1 ? std::async(std::launch::async, read, 1) : std::future<void>();
    read(0);
    if (other.valid())
        other.get();
}

QString snippetOf(const Xapian::MSet &mset, const QString &text, const Xapian::Stem &stemmer,
                  const QStringList &words) {
    const std::string snippet =
        mset.snippet(utf8(snippetWindow(text, words).simplified()), kSnippetBytes, stemmer,
                     kSnippetFlags, utf8(QString(kMarkStart)), utf8(QString(kMarkEnd)), "…");
    // Chinese is marked a character at a time: "[明][天]" is shown as "[明天]".
    return markWholeWords(plainText(fromUtf8(snippet).remove(QString(kMarkEnd) + kMarkStart)),
                          words);
}

} // namespace

QString markWholeWords(const QString &snippet, const QStringList &words) {
    QString out;
    out.reserve(snippet.size());
    qsizetype at = 0;
    while (at < snippet.size()) {
        const qsizetype start = snippet.indexOf(kMarkStart, at);
        const qsizetype end = start < 0 ? -1 : snippet.indexOf(kMarkEnd, start);
        if (end < 0) {
            out += snippet.mid(at);
            break;
        }
        out += snippet.mid(at, start - at);
        const QString marked = snippet.mid(start + 1, end - start - 1);
        // Words of other scripts are marked whole by Xapian already (a stem finds "running").
        bool whole = !std::any_of(marked.begin(), marked.end(), isHan);
        for (const QString &word : words)
            whole = whole || marked.contains(word, Qt::CaseInsensitive);
        out += whole ? kMarkStart + marked + kMarkEnd : marked;
        at = end + 1;
    }
    return out;
}

namespace {

// Any one of `values` as boolean terms.
Xapian::Query anyOf(const QStringList &values,
                    const std::function<QString(const QString &)> &term) {
    std::vector<Xapian::Query> terms;
    for (const QString &value : values)
        terms.emplace_back(utf8(term(value)));
    return Xapian::Query(Xapian::Query::OP_OR, terms.begin(), terms.end());
}

// `query` narrowed down to the documents the filters let through.
Xapian::Query filtered(const Xapian::Query &query, const SearchFilters &filters) {
    std::vector<Xapian::Query> conditions;
    if (!filters.sites.isEmpty())
        conditions.push_back(anyOf(filters.sites, [](const QString &s) { return u'H' + s; }));
    if (!filters.dirs.isEmpty())
        conditions.push_back(anyOf(
            filters.dirs, [](const QString &d) { return (d.startsWith(u'/') ? u'P' : u'D') + d; }));
    if (!filters.kinds.isEmpty())
        conditions.push_back(anyOf(filters.kinds, [](const QString &k) { return u'K' + k; }));
    if (filters.scope == SearchFilters::Scope::Read)
        conditions.emplace_back(std::string("K") + kReadKind);
    const auto when = [](const QDateTime &time) {
        return Xapian::sortable_serialise(double(time.toSecsSinceEpoch()));
    };
    if (filters.since.isValid() && filters.until.isValid())
        conditions.emplace_back(Xapian::Query::OP_VALUE_RANGE, kSavedValue, when(filters.since),
                                when(filters.until));
    else if (filters.since.isValid())
        conditions.emplace_back(Xapian::Query::OP_VALUE_GE, kSavedValue, when(filters.since));
    else if (filters.until.isValid())
        conditions.emplace_back(Xapian::Query::OP_VALUE_LE, kSavedValue, when(filters.until));
    Xapian::Query narrowed = query;
    if (!conditions.empty())
        narrowed = Xapian::Query(
            Xapian::Query::OP_FILTER, query,
            Xapian::Query(Xapian::Query::OP_AND, conditions.begin(), conditions.end()));
    if (filters.scope == SearchFilters::Scope::Saved)
        narrowed = Xapian::Query(Xapian::Query::OP_AND_NOT, narrowed,
                                 Xapian::Query(std::string("K") + kReadKind));
    return narrowed;
}

SearchFilters merged(SearchFilters filters, const SearchFilters &extra) {
    filters.sites += extra.sites;
    filters.dirs += extra.dirs;
    filters.kinds += extra.kinds;
    if (extra.since.isValid())
        filters.since = extra.since;
    if (extra.until.isValid())
        filters.until = extra.until;
    filters.newestFirst = filters.newestFirst || extra.newestFirst;
    if (extra.scope != SearchFilters::Scope::All)
        filters.scope = extra.scope;
    return filters;
}

} // namespace

SearchResults searchIndex(const Xapian::Database &db, const QString &typed, int offset, int limit,
                          const SearchFilters &extra) {
    SearchResults results;
    if (typed.size() > kMaxQueryChars) {
        results.error = QStringLiteral("要找的词太长：最多 %1 个字").arg(kMaxQueryChars);
        return results;
    }
    const FilteredQuery split = splitFilters(typed);
    if (!split.error.isEmpty()) {
        results.error = split.error;
        return results;
    }
    const QString query = split.words;
    const SearchFilters filters = merged(split.filters, extra);
    try {
        const Xapian::Stem stemmer("english");
        Xapian::Enquire enquire(db);
        // Filters alone list every document they let through.
        const Xapian::Query built = query.isEmpty() && filters.any()
                                        ? Xapian::Query::MatchAll
                                        : buildQuery(db, stemmer, query);
        results.ok = true;
        if (built.empty())
            return results;
        enquire.set_query(filtered(built, filters));
        if (filters.newestFirst)
            enquire.set_sort_by_value_then_relevance(kSavedValue, true);
        const Xapian::MSet mset =
            enquire.get_mset(Xapian::doccount(qMax(0, offset)), Xapian::doccount(qMax(0, limit)));
        results.estimated = int(mset.get_matches_estimated());
        if (const QStringList cut = prefixesCutShort(db, query); !cut.isEmpty())
            results.notice =
                QStringLiteral("以 %1 开头的词太多，只找了最常见的 %2 个；多写几个字母可以找得更准")
                    .arg(cut.join(QStringLiteral("、")))
                    .arg(kMaxPrefixWords);
        const QStringList words = wordsOf(query);
        std::vector<std::optional<QString>> texts(mset.size());
        for (auto it = mset.begin(); it != mset.end(); ++it)
            results.hits.append(hitOf(it.get_document(), &texts[size_t(results.hits.size())]));
        readSavedTexts(results.hits, texts);
        for (qsizetype i = 0; i < results.hits.size(); ++i) {
            if (texts[size_t(i)])
                results.hits[i].snippet = snippetOf(mset, *texts[size_t(i)], stemmer, words);
        }
    } catch (const Xapian::Error &e) {
        results.ok = false;
        results.error = fromUtf8(e.get_description());
        results.damaged = faultOf(e, QString()).kind == IndexFault::Damaged;
    }
    return results;
}

ReadPage readPageInIndex(const QString &folder, const QString &address) {
    try {
        const Xapian::Database db(utf8(folder));
        const std::string id = readIdTerm(address);
        const Xapian::PostingIterator found = db.postlist_begin(id);
        if (found == db.postlist_end(id))
            return {};
        const QJsonObject data =
            QJsonDocument::fromJson(QByteArray::fromStdString(db.get_document(*found).get_data()))
                .object();
        return {data.value(QStringLiteral("source")).toString(),
                data.value(QStringLiteral("title")).toString(),
                data.value(QStringLiteral("text")).toString(),
                qint64(data.value(QStringLiteral("saved")).toDouble()),
                {}};
    } catch (const Xapian::Error &) {
        return {};
    }
}

SearchResults searchIndexFolder(const QString &folder, const QString &query, int offset, int limit,
                                const SearchFilters &extra) {
    SearchResults results;
    // The index is away for a moment while a packed copy is put in its place.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            results = searchIndex(Xapian::Database(utf8(folder)), query, offset, limit, extra);
            if (results.ok || results.damaged)
                return results;
        } catch (const Xapian::Error &e) {
            results.error = fromUtf8(e.get_description());
            // Away for a moment, or a folder that is no index at all.
            results.damaged = attempt > 0 && QFileInfo::exists(folder) &&
                              faultOf(e, QString()).kind == IndexFault::Damaged;
        }
        QThread::msleep(50);
    }
    return results;
}

} // namespace fulltext
