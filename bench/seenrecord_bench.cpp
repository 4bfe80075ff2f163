// The seen/saved record at its limit: 100,000 records, looked up and loaded.
#include "links/seenrecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 100000;

QString address(int i) {
    return QStringLiteral("http://www.example.cn/book/%1/chapter-%2.htm").arg(i / 100).arg(i);
}

// A file of kRecords records, a quarter of them saves, written once.
const QString &recordFile() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = QDir(dir.path()).filePath(QStringLiteral("seen.txt"));
        QByteArray bytes;
        for (int i = 0; i < kRecords; ++i) {
            const QByteArray url = address(i).toUtf8();
            bytes += i % 4 ? "O\t1700000000\t" + url + '\n'
                           : "S\t1700000000\t" + url + "\t/home/u/小说\t第" +
                                 QByteArray::number(i) + "章.htm\n";
        }
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
        return file;
    }();
    return path;
}

void BM_SeenRecordLoad(benchmark::State &state) {
    for (auto _ : state) {
        links::SeenRecord record(recordFile());
        benchmark::DoNotOptimize(record.load());
        if (record.size() != kRecords)
            state.SkipWithError("the record was not read whole");
    }
}

void BM_SeenRecordLookup(benchmark::State &state) {
    links::SeenRecord record(recordFile());
    record.load();
    const QString folder = QStringLiteral("/home/u/小说");
    int i = 0;
    for (auto _ : state) {
        const QString url = address(i);
        benchmark::DoNotOptimize(record.seen(url));
        benchmark::DoNotOptimize(record.savedIn(url, folder));
        i = (i + 7919) % (kRecords * 2); // half of them unknown
    }
}

BENCHMARK(BM_SeenRecordLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeenRecordLookup)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
