// lumaro-cli history list --data-dir DIR [--limit N]: the pages of a data folder's history,
// the last visited first. lumaro-cli history import --data-dir DIR FILE: another browser's
// visits added to it.
#include "clicommands.h"
#include "clioutput.h"

#include "common/programfolder.h"
#include "history/browserimport.h"
#include "history/historystore.h"

#include <QFileInfo>

namespace cli {

namespace {

const QCommandLineOption kDataDir(QStringLiteral("data-dir"),
                                  QStringLiteral("数据文件夹，历史记录 history.sqlite 在这里"),
                                  QStringLiteral("文件夹"));
const QCommandLineOption kLimit(QStringLiteral("limit"),
                                QStringLiteral("最多列出这么多个网址（默认 100）"),
                                QStringLiteral("个数"), QStringLiteral("100"));

const CommandHelp kListHelp{
    QStringLiteral("history list --data-dir 文件夹 [--limit 个数]"),
    QStringLiteral("列出看过的网页，最近看的在前，每行一个：时间（ISO 8601，本地时间和时差）、"
                   "网址、标题，用制表符隔开。")};

int runList(const QStringList &arguments) {
    QCommandLineParser parser;
    if (const auto done = parseCommand(parser, {kDataDir, kLimit}, kListHelp, arguments))
        return *done;
    if (const QString missing = missingOption(parser, {kDataDir}); !missing.isEmpty())
        return fail(missing);
    bool ok = false;
    const int limit = parser.value(kLimit).toInt(&ok);
    if (!ok || limit < 1)
        return fail(QStringLiteral("--limit must be a number of 1 or more"));
    const QString path =
        common::ProgramFolder(parser.value(kDataDir)).filePath(QStringLiteral("history.sqlite"));
    if (!QFileInfo::exists(path))
        return 0; // nothing read yet
    QString error;
    const auto store = history::HistoryStore::open(path, &error);
    if (!store)
        return fail(error);
    QByteArray out;
    for (const history::Visit &page : store->pages(limit))
        out += (localIsoTime(page.time) + u'\t' + lineField(page.address) + u'\t' +
                lineField(page.title) + u'\n')
                   .toUtf8();
    if (store->fault())
        return fail(store->fault().message);
    writeOutput(out);
    return 0;
}

const CommandHelp kImportHelp{
    QStringLiteral("history import --data-dir 文件夹 文件"),
    QStringLiteral("把 Firefox 的 places.sqlite 或 Chromium 的 History 文件里看过的网页（含标题）"
                   "加进历史记录；那个文件只读不写，那个浏览器开着也可以。已有的访问不会重复加。")};

int runImport(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("文件"),
                                 QStringLiteral("places.sqlite 或 History"));
    if (const auto done = parseCommand(parser, {kDataDir}, kImportHelp, arguments))
        return *done;
    if (const QString missing = missingOption(parser, {kDataDir}); !missing.isEmpty())
        return fail(missing);
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("history import needs one file"));
    const history::OtherHistory other =
        history::readOtherBrowserHistory(parser.positionalArguments().constFirst());
    if (other.browser.isEmpty())
        return fail(other.error);
    QString error;
    const auto store = history::HistoryStore::open(
        common::ProgramFolder(parser.value(kDataDir)).filePath(QStringLiteral("history.sqlite")),
        &error);
    if (!store)
        return fail(error);
    const int added = store->importVisits(other.visits);
    if (added < 0)
        return fail(store->fault().message);
    writeOutput(QStringLiteral("从 %1 导入了 %2 次访问（文件里有 %3 次）\n")
                    .arg(other.browser)
                    .arg(added)
                    .arg(other.visits.size())
                    .toUtf8());
    return 0;
}

} // namespace

const CommandHelp kHistoryHelp{
    QStringLiteral("history list|import --data-dir 文件夹 …"),
    QStringLiteral("列出看过的网页，最近看的在前；或从另一个浏览器导入历史记录。")};

int runHistoryCommand(const QStringList &arguments) {
    return runCommandGroup(kHistoryHelp,
                           {{QStringLiteral("list"), &kListHelp, runList},
                            {QStringLiteral("import"), &kImportHelp, runImport}},
                           arguments);
}

} // namespace cli
