// Throughput of the text algorithms on a large real page.
// The page is $LUMARO_BENCH_PAGE, else the Node.js API reference shipped by Debian, else a
// generated page; it is repeated to reach the sizes measured (1 MB and 10 MB).
#include "common/ansifile.h"
#include "editing/linkdeletion.h"
#include "links/emailscanner.h"
#include "links/favouriteslinks.h"
#include "links/linkscanner.h"
#include "saving/filenaming.h"
#include "saving/linkrewriter.h"
#include "text/htmltotext.h"

#include <QFile>
#include <QHash>

#include <benchmark/benchmark.h>

namespace {

QString basePage() {
    QString path = qEnvironmentVariable("LUMARO_BENCH_PAGE");
    if (path.isEmpty())
        path = QStringLiteral("/usr/share/doc/nodejs/api/all.html");
    const common::TextFileContent file = common::readTextFile(path);
    if (file.ok && !file.text.isEmpty())
        return file.text;
    QString page;
    for (int i = 0; i < 2000; ++i)
        page += QStringLiteral("<tr><td class=\"c%1\"><a href=\"item%1.htm\">第%1条 新闻 &amp; "
                               "评论</a></td><td>联系 user%1@mail.example.cn<br>价格&nbsp;5 &gt; 3"
                               "</td></tr><script>var x%1 = '<p>';</script>\n")
                    .arg(i);
    return page;
}

// The first megabyte of the page (up to a line end), repeated to `bytes` bytes of UTF-8, so
// that sizes differ in length only; 0 gives the whole real page, repeated up to 10 MB.
const QString &pageOfSize(qsizetype bytes) {
    static QHash<qsizetype, QString> pages;
    auto it = pages.find(bytes);
    if (it != pages.end())
        return *it;
    const QString real = basePage();
    const double charsPerByte = double(real.size()) / double(real.toUtf8().size());
    QString unit = real;
    if (bytes > 0) {
        const qsizetype cut = real.indexOf(u'\n', qsizetype((1 << 20) * charsPerByte));
        unit = cut < 0 ? real : real.left(cut + 1);
    }
    const qsizetype chars = qsizetype(double(bytes > 0 ? bytes : 10 << 20) * charsPerByte);
    QString page;
    while (page.size() < chars)
        page += unit;
    if (bytes == 0)
        page.truncate(chars);
    return *pages.insert(bytes, page);
}

void setBytes(benchmark::State &state, const QString &page) {
    state.SetBytesProcessed(int64_t(state.iterations()) * page.toUtf8().size());
}

void BM_DeleteHtmlTag(benchmark::State &state) {
    const QString &page = pageOfSize(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(text::deleteHtmlTag(page, true, true));
    setBytes(state, page);
}

void BM_LinkScanner(benchmark::State &state) {
    const QString &page = pageOfSize(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            links::scanLinks(page, "http://h.example/api/all.html", links::LinkCommand::OpenAllW));
    setBytes(state, page);
}

void BM_EmailScanner(benchmark::State &state) {
    const QString &page = pageOfSize(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(links::scanEmails(page));
    setBytes(state, page);
}

void BM_RewriteLinks(benchmark::State &state) {
    const QString &page = pageOfSize(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(saving::rewriteLinks(page, "http://h.example/api/all.html"));
    setBytes(state, page);
}

// File-name markers around the whole page: the name between them is the page itself, tags and all
// (the slowest case; it took seconds per megabyte when tags were stripped one at a time).
void BM_ExtractFileName(benchmark::State &state) {
    const QString page = QStringLiteral("<h1 id=\"name\">") + pageOfSize(state.range(0)) +
                         QStringLiteral("</h1 id=\"name\">");
    for (auto _ : state)
        benchmark::DoNotOptimize(
            saving::extractFileName(page, u"<H1 ID=\"NAME\">", u"</H1 ID=\"NAME\">"));
    setBytes(state, page);
}

void BM_RemoveLinksWithText(benchmark::State &state) {
    const QString &page = pageOfSize(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(editing::removeLinksWithText(page, u"Class: Buffer"));
    setBytes(state, page);
}

// savetolink on a page of N links into a link.htm that holds N other rows already.
void BM_AddFavourites(benchmark::State &state) {
    const int count = int(state.range(0));
    QList<links::favourites::Entry> held;
    QList<links::favourites::Entry> added;
    for (int i = 0; i < count; ++i) {
        held.append({QStringLiteral("http://h.example/old%1.htm").arg(i), QStringLiteral("旧")});
        added.append({QStringLiteral("http://h.example/new%1.htm").arg(i), QStringLiteral("新")});
    }
    int keys = 0;
    const auto key = [&keys] { return QString::number(keys++).rightJustified(15, u'A'); };
    const QString start = QStringLiteral("<table>\r\n<tr><td>head</td></tr>\r\n</table>\r\n");
    const QString file = links::favourites::addEntries(start, held, key)->file;
    for (auto _ : state)
        benchmark::DoNotOptimize(links::favourites::addEntries(file, added, key));
}

// Arg 0: the real page (about 10 MB); 1 MB and 10 MB: the same megabyte, once and ten times.
constexpr int64_t kMB = 1 << 20;
BENCHMARK(BM_DeleteHtmlTag)->Arg(0)->Arg(kMB)->Arg(10 * kMB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkScanner)->Arg(0)->Arg(kMB)->Arg(10 * kMB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmailScanner)->Arg(0)->Arg(kMB)->Arg(10 * kMB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RewriteLinks)->Arg(0)->Arg(kMB)->Arg(10 * kMB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractFileName)->Arg(0)->Arg(kMB)->Arg(10 * kMB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveLinksWithText)->Arg(kMB)->Arg(10 * kMB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddFavourites)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
