// lumaro-cli history list --data-dir DIR [--limit N]: the pages of a data folder's history,
// the last visited first.
#include "clicommands.h"
#include "clioutput.h"

#include "common/programfolder.h"
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

} // namespace

const CommandHelp kHistoryHelp{QStringLiteral("history list --data-dir 文件夹 [--limit 个数]"),
                               QStringLiteral("列出看过的网页，最近看的在前。")};

int runHistoryCommand(const QStringList &arguments) {
    const QString name = arguments.value(0);
    if (name == QLatin1String("list"))
        return runList(arguments.mid(1));
    if (name.startsWith(u'-')) {
        QCommandLineParser parser;
        if (const auto done = parseCommand(parser, {}, kHistoryHelp, arguments))
            return *done;
    }
    return fail(name.isEmpty() ? QStringLiteral("history needs list")
                               : QStringLiteral("unknown history command: ") + name);
}

} // namespace cli
