// Making a book of a large series folder: 2,000 chapters, 40 MB of GB18030 text in all.
#include "common/ansifile.h"
#include "serial/book.h"
#include "serial/chapterfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kChapters = 2000;
constexpr int kChapterBytes = 20 * 1024;

// A series folder written once for every run: chapter files of 20 KB (10,240 Chinese
// characters in GB18030, in lines of 40) and their index.
const QString &seriesFolder() {
    static QTemporaryDir temp;
    static const QString folder = [] {
        const QString path = QDir(temp.path()).filePath(QStringLiteral("长篇"));
        QDir().mkpath(path);
        QList<serial::IndexEntry> index;
        QString line;
        for (int i = 0; i < 39; ++i)
            line.append(QChar(0x4E00 + (i * 37) % 20000));
        line.append(QLatin1Char('\n'));
        for (int chapter = 1; chapter <= kChapters; ++chapter) {
            const QString title = QStringLiteral("第%1章 夜行").arg(chapter);
            QString text = title + QStringLiteral("\r\n\r\n");
            while (common::encodeText(text).size() + line.size() * 2 < kChapterBytes)
                text += line;
            common::writeTextFile(
                QDir(path).filePath(serial::chapterFileName(chapter, title, ".txt")), text);
            index.append({chapter, title,
                          QUrl(QStringLiteral("https://b.example/%1.html").arg(chapter)),
                          QDateTime::currentDateTime()});
        }
        common::writeTextFile(QDir(path).filePath(serial::kIndexFileName),
                              serial::formatIndex(index));
        return path;
    }();
    return folder;
}

void BM_MakeBookOf2000Chapters(benchmark::State &state) {
    const QString folder = seriesFolder();
    QTemporaryDir out;
    const QString base = QDir(out.path()).filePath(QStringLiteral("长篇"));
    for (auto _ : state) {
        const std::optional<serial::Book> book = serial::readSeriesFolder(folder);
        if (!book || !serial::writeBook(*book, base)) {
            state.SkipWithError("the book was not made");
            return;
        }
        benchmark::DoNotOptimize(book->chapters.size());
    }
    qint64 input = 0;
    for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files))
        input += file.size();
    state.counters["input_MB"] = double(input) / 1e6;
    state.counters["txt_MB"] = double(QFileInfo(base + ".txt").size()) / 1e6;
    state.counters["epub_MB"] = double(QFileInfo(base + ".epub").size()) / 1e6;
}
BENCHMARK(BM_MakeBookOf2000Chapters)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
