// The history at size: N visits (100,000 by default) of N/4 pages written into a new database,
// then what the window waits for: asking for a visit to be recorded (the write itself is on
// the history's thread), the history page's newest visits, a search of it, a visit recorded
// and committed, the list under the address box for each key typed, and the database's size.
// Usage: history_bench [N]
#include "history/historypage.h"
#include "history/historyservice.h"
#include "history/historystore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

template <typename Work> std::vector<double> timed(int times, Work work) {
    std::vector<double> ms;
    QElapsedTimer clock;
    for (int i = 0; i < times; ++i) {
        clock.start();
        work(i);
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return ms;
}

void print(const char *what, const std::vector<double> &ms) {
    std::printf("%s: median %.3f ms, 95%% %.3f ms\n", what, percentile(ms, 0.5),
                percentile(ms, 0.95));
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("history.sqlite"));
    QString error;
    auto store = history::HistoryStore::open(path, &error);
    if (!store)
        return std::fprintf(stderr, "%s\n", qPrintable(error)), 2;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - qint64(count) * 60000;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        const int page = i % (count / 4 + 1);
        store->recordVisit(
            QStringLiteral("https://site%1.example.cn/news/%2.html").arg(page % 500).arg(page),
            QStringLiteral("第%1篇 新闻标题 天气 news %1").arg(page), start + qint64(i) * 60000);
    }
    std::printf("%d visits written one transaction each in %.1f s (%.2f ms a visit)\n", count,
                clock.elapsed() / 1000.0, double(clock.elapsed()) / count);
    print("history page's newest visits (201)",
          timed(50, [&](int) { store->visits(QString(), 0, history::kVisitsPerPage + 1); }));
    print("history page searched for a word of the title", timed(50, [&](int i) {
              store->visits(QStringLiteral("第%1篇").arg(i * 37), 0, history::kVisitsPerPage + 1);
          }));
    print("history page made as HTML (201 visits)", timed(50, [&](int) {
              const auto visits = store->visits(QString(), 0, history::kVisitsPerPage + 1);
              history::historyPageHtml(QUrl("lumaro:history"), {}, visits,
                                       QDateTime::currentDateTime());
          }));
    // What the list under the address box asks for as each key is typed (on the history's
    // thread; the window only hands the text over and draws the rows).
    const QStringList typing{"s",       "si",        "sit", "site", "site1", "site12",
                             "site123", "n",         "ne",  "new",  "news",  "天",
                             "天气",    "第",        "第1", "第12", "第123", "第1234",
                             "news 天", "news 天气", "x",   "xy",   "xyz"};
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    print("address box list for one key typed (8 rows)", timed(int(typing.size()) * 4, [&](int i) {
              store->suggest(typing.at(i % typing.size()), now, 8);
          }));
    print("one visit recorded and committed (history's thread)", timed(200, [&](int i) {
              store->recordVisit(QStringLiteral("https://new.example.cn/%1").arg(i), "new",
                                 QDateTime::currentMSecsSinceEpoch());
          }));
    store.reset();
    std::printf("database %.1f MB for %d visits\n", double(QFileInfo(path).size()) / 1e6,
                count + 200);
    history::HistoryService service(path);
    print("a visit handed to the history (window's thread)", timed(1000, [&](int i) {
              service.record(QStringLiteral("https://w.example.cn/%1").arg(i), "w");
          }));
    return 0;
}
