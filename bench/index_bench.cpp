// The full-text index of the saved files at size: N saved pages of about 30 KB (GB18030
// pages with a meta charset, Chinese and English mixed) indexed from nothing, one new page
// indexed and committed, queries timed at that size, and the index's size against the text's.
// Usage: index_bench [N] [FOLDER] [CHARS]   (N 10000 by default; FOLDER a scratch folder;
// CHARS the characters of a page's markup, 17500 by default: about 30 KB in GB18030)
#include "common/ansifile.h"
#include "fulltext/saveddocument.h"
#include "fulltext/savedindex.h"
#include "fulltext/savedsearch.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A vocabulary with the skew of real text: word i is drawn with weight 1/(i+1).
struct Vocabulary {
    QStringList words;
    std::vector<double> cumulative;

    Vocabulary() {
        const QString chars = QStringLiteral(
            "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工"
            "也能下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小"
            "物现实加量都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形"
            "相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建"
            "月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长");
        QRandomGenerator random(7);
        for (int i = 0; i < 6000; ++i) {
            if (i % 5 == 4) {
                QString word;
                for (int k = 0, n = 3 + int(random.bounded(6)); k < n; ++k)
                    word += QChar(u'a' + random.bounded(26));
                words.append(word);
            } else {
                QString word;
                for (int k = 0, n = 2 + int(random.bounded(3)); k < n; ++k)
                    word += chars[random.bounded(int(chars.size()))];
                words.append(word);
            }
        }
        double total = 0;
        for (int i = 0; i < int(words.size()); ++i)
            cumulative.push_back(total += 1.0 / (i + 1));
    }
    const QString &draw(QRandomGenerator &random) const {
        const double x = random.generateDouble() * cumulative.back();
        return words[std::lower_bound(cumulative.begin(), cumulative.end(), x) -
                     cumulative.begin()];
    }
};

QString page(const Vocabulary &vocabulary, QRandomGenerator &random, int number, int chars) {
    QString title;
    for (int i = 0; i < 4; ++i)
        title += vocabulary.draw(random);
    QString html = QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" "
                                  "content=\"text/html; charset=gb2312\"><title>%1 %2</title>"
                                  "</head><body>\n")
                       .arg(title)
                       .arg(number);
    while (html.size() < chars) {
        html += QStringLiteral("<p>");
        for (int i = 0; i < 40; ++i) {
            const QString &word = vocabulary.draw(random);
            html += word;
            if (word[0].unicode() < 128)
                html += u' ';
        }
        html += QStringLiteral("。</p>\n");
    }
    return html + QStringLiteral("</body></html>\n");
}

qint64 folderBytes(const QString &folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char **argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir scratch;
    const QString root = argc > 2 ? QString::fromLocal8Bit(argv[2]) : scratch.path();
    const int chars = argc > 3 ? std::atoi(argv[3]) : 17500;
    const QString save = QDir(root).filePath(QStringLiteral("save"));
    const QString indexFolder = QDir(root).filePath(QStringLiteral("index"));
    QDir(indexFolder).removeRecursively();
    QDir().mkpath(save);
    const Vocabulary vocabulary;
    QRandomGenerator random(11);
    QElapsedTimer clock;
    clock.start();
    // Twelve folders, and a year of days saved on.
    const auto pagePath = [&save](int i) {
        return QDir(save).filePath(QStringLiteral("m%1/page%2.htm").arg(i % 12).arg(i));
    };
    for (int month = 0; month < 12; ++month)
        QDir(save).mkpath(QStringLiteral("m%1").arg(month));
    const QDateTime yearStart(QDate(2026, 1, 1), QTime(12, 0));
    for (int i = 0; i < count; ++i) {
        QFile file(pagePath(i));
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        file.write(common::encodeText(page(vocabulary, random, i, chars)));
        file.setFileTime(yearStart.addDays(i % 365), QFileDevice::FileModificationTime);
    }
    const qint64 fileBytes = folderBytes(save);
    std::printf("generated %d pages, %.1f MB (%.1f KB a page) in %.1f s\n", count,
                double(fileBytes) / 1e6, double(fileBytes) / count / 1e3,
                double(clock.elapsed()) / 1e3);

    QString error;
    auto index = fulltext::SavedIndex::open(indexFolder, &error);
    if (!index)
        return std::fprintf(stderr, "%s\n", qPrintable(error)), 2;
    clock.restart();
    const auto stats = index->updateFolders({save}, {});
    const double seconds = double(clock.elapsed()) / 1e3;
    std::printf("indexed %d pages in %.1f s: %.0f pages/s, %.1f MB/s of files\n", stats.added,
                seconds, stats.added / seconds, double(fileBytes) / 1e6 / seconds);
    clock.restart();
    const auto again = index->updateFolders({save}, {});
    std::printf("re-scan with nothing changed: %d unchanged in %.2f s\n", again.unchanged,
                double(clock.elapsed()) / 1e3);

    std::vector<double> newPage;
    for (int i = 0; i < 20; ++i) {
        const QString path = QDir(save).filePath(QStringLiteral("new%1.htm").arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        file.write(common::encodeText(page(vocabulary, random, count + i, chars)));
        file.close();
        clock.restart();
        index->indexFile(path, std::nullopt, true);
        index->commit();
        newPage.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("one new page indexed and committed: median %.1f ms, 95%% %.1f ms\n",
                percentile(newPage, 0.5), percentile(newPage, 0.95));
    index.reset();
    const qint64 unpackedBytes = folderBytes(indexFolder);
    clock.restart();
    if (!fulltext::SavedIndex::compact(indexFolder, &error))
        return std::fprintf(stderr, "%s\n", qPrintable(error)), 2;
    std::printf("index packed in %.1f s: %.1f MB before, %.1f MB after\n",
                double(clock.elapsed()) / 1e3, double(unpackedBytes) / 1e6,
                double(folderBytes(indexFolder)) / 1e6);

    // Queries: common and rare words, two words, a phrase, a title word, an exclusion.
    QStringList queries;
    QRandomGenerator pick(3);
    for (int i = 0; i < 60; ++i) {
        const QString &a = vocabulary.words[int(pick.bounded(6000))];
        const QString &b = vocabulary.words[int(pick.bounded(300))];
        queries << a << b + u' ' + a << u'"' + vocabulary.words[i] + vocabulary.words[i + 1] + u'"'
                << QStringLiteral("title:") + a << b + QStringLiteral(" -") + a;
    }
    const auto timeQueries = [&](const char *what, const QStringList &list) {
        std::vector<double> times;
        long long hits = 0;
        for (const QString &query : list) {
            clock.restart();
            hits += fulltext::searchIndexFolder(indexFolder, query, 0, 20).hits.size();
            times.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::printf("%lld %s, first 20 hits with snippets (index opened each time): "
                    "median %.1f ms, 95%% %.1f ms (%.1f hits a query)\n",
                    static_cast<long long>(times.size()), what, percentile(times, 0.5),
                    percentile(times, 0.95), double(hits) / double(times.size()));
    };
    timeQueries("queries", queries);
    // A month in one folder, and the newest first.
    QStringList filtered, sorted;
    for (int i = 0; i < 100; ++i) {
        const QString &word = vocabulary.words[int(pick.bounded(300))];
        const int month = 1 + i % 12;
        filtered << word + QStringLiteral(" date:2026-%1-01..2026-%1-28 dir:m%2")
                               .arg(month, 2, 10, QLatin1Char('0'))
                               .arg(i % 12);
        sorted << word + QStringLiteral(" sort:date");
    }
    timeQueries("filtered queries (a month, one folder)", filtered);
    timeQueries("date-sorted queries", sorted);

    qint64 textBytes = 0;
    int sampled = 0;
    for (int i = 0; i < count; i += std::max(1, count / 200), ++sampled)
        textBytes += fulltext::readSavedDocument(pagePath(i)).body.toUtf8().size();
    textBytes = textBytes * count / std::max(1, sampled);
    const qint64 indexBytes = folderBytes(indexFolder);
    std::printf("index %.1f MB for %.1f MB of text (UTF-8, estimated from a sample): %.2f x\n",
                double(indexBytes) / 1e6, double(textBytes) / 1e6,
                double(indexBytes) / double(textBytes));
    return 0;
}
