// Pages read going into the index, as the window hands them over: how long until a page just
// read is found (from the hand-over to a search that finds it, through the index's thread),
// and how much the index grows for every 1,000 pages read. The pages are real HTML files
// (.html or .htm under FOLDER, e.g. a documentation tree, or the pages index_bench writes), each
// read under an address of its own.
// Usage: read_pages_bench FOLDER [N]   (N pages read, 1000 by default)
#include "common/ansifile.h"
#include "fulltext/indexservice.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

qint64 folderBytes(const QString &folder) {
    qint64 bytes = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        bytes += QFileInfo(it.next()).size();
    return bytes;
}

// Runs the event loop until `done` holds (checked after each of the service's idle signals).
void waitFor(fulltext::IndexService &service, const std::function<bool()> &done) {
    QEventLoop loop;
    QObject::connect(&service, &fulltext::IndexService::idle, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (!done())
        loop.exec();
}

bool found(fulltext::IndexService &service, const QString &query) {
    QEventLoop loop;
    bool any = false;
    service.search(query, 0, 1, [&](const fulltext::SearchResults &results) {
        any = !results.hits.isEmpty();
        loop.quit();
    });
    loop.exec();
    return any;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return std::fprintf(stderr, "usage: read_pages_bench FOLDER [N]\n"), 2;
    const int count = argc > 2 ? std::atoi(argv[2]) : 1000;
    QStringList pages;
    QDirIterator it(QString::fromLocal8Bit(argv[1]),
                    {QStringLiteral("*.html"), QStringLiteral("*.htm")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        pages.append(it.next());
    if (pages.isEmpty())
        return std::fprintf(stderr, "no .html files in %s\n", argv[1]), 2;
    std::vector<QString> html;
    for (const QString &path : std::as_const(pages)) {
        const common::TextFileContent file = common::readTextFile(path);
        if (file.ok)
            html.push_back(file.text);
    }
    QTemporaryDir dir;
    const QString indexFolder = QDir(dir.path()).filePath(QStringLiteral("index"));
    fulltext::IndexService service(indexFolder,
                                   QDir(dir.path()).filePath(QStringLiteral("seen.txt")));
    int documents = 0;
    QObject::connect(&service, &fulltext::IndexService::idle, [&](int n) { documents = n; });

    // Each page carries a word of its own, so that the search finds that page and no other.
    const auto read = [&](int i) {
        fulltext::ReadPage page;
        page.address = QStringLiteral("http://127.0.0.1/read/%1").arg(i);
        page.time = QDateTime::currentSecsSinceEpoch();
        page.html = html.at(size_t(i) % html.size()) + QStringLiteral("<p>uniqueword%1</p>").arg(i);
        service.noteRead(page);
    };
    std::vector<double> findable;
    QElapsedTimer clock;
    for (int i = 0; i < 20; ++i) {
        clock.start();
        read(i);
        waitFor(service, [&] { return documents == i + 1; });
        while (!found(service, QStringLiteral("uniqueword%1").arg(i))) {
        }
        findable.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(findable.begin(), findable.end());
    std::printf("a page read, from the hand-over until a search finds it: median %.0f ms, "
                "max %.0f ms (%d pages of %lld KB on average)\n",
                findable[findable.size() / 2], findable.back(), 20,
                std::accumulate(html.begin(), html.end(), qint64(0),
                                [](qint64 sum, const QString &h) { return sum + h.size(); }) /
                    qint64(html.size()) / 1024);
    const qint64 before = folderBytes(indexFolder);
    clock.start();
    for (int i = 20; i < count + 20; ++i)
        read(i);
    waitFor(service, [&] { return documents == count + 20; });
    const double seconds = clock.elapsed() / 1000.0;
    const qint64 after = folderBytes(indexFolder);
    std::printf("%d pages read taken in %.1f s (%.1f ms a page, the index's thread); the index "
                "grew %.1f MB: %.1f MB for every 1,000 pages read\n",
                count, seconds, seconds * 1000 / count, double(after - before) / 1e6,
                double(after - before) / 1e6 * 1000 / count);
    return 0;
}
