// lumaro-cli bookmarks import|export --data-dir DIR FILE: the bookmarks.html of Firefox and
// Chromium into and out of the favourites page link.htm of a data folder.
#include "clicommands.h"
#include "clioutput.h"

#include "common/datafolder.h"
#include "common/programfolder.h"
#include "links/bookmarksimport.h"

#include <QFileInfo>

#include <cstdio>

namespace cli {

namespace {

const QCommandLineOption kDataDir(QStringLiteral("data-dir"),
                                  QStringLiteral("数据文件夹，收藏页 link.htm 在这里"),
                                  QStringLiteral("文件夹"));

const CommandHelp kImportHelp{
    QStringLiteral("bookmarks import --data-dir 文件夹 [--charset 字符集] 文件"),
    QStringLiteral("把 Firefox 或 Chromium 导出的书签文件（bookmarks.html）加进收藏页，"
                   "已有的地址跳过，只收 http、https 和 file 地址；写出加了几个。")};

const CommandHelp kExportHelp{
    QStringLiteral("bookmarks export --data-dir 文件夹 文件"),
    QStringLiteral("把收藏页的全部地址写成 Firefox 和 Chromium 都能导入的书签文件；"
                   "写出写了几个。")};

int runImport(const QStringList &arguments) {
    QCommandLineParser parser;
    if (const auto done = parseCommand(parser, {kDataDir, charsetOption()}, kImportHelp, arguments))
        return *done;
    if (const QString missing = missingOption(parser, {kDataDir}); !missing.isEmpty())
        return fail(missing);
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("expected one FILE"));
    QString error;
    const std::optional<common::ReadOptions> options = inputOptions(parser, &error);
    if (!options)
        return fail(error);
    std::unique_ptr<QTemporaryFile> pipeCopy;
    const QString input = inputPath(parser.positionalArguments().front(), &error, pipeCopy);
    if (input.isEmpty())
        return fail(error);
    // A data folder not made yet is made as the browser makes it, with its favourites page.
    const common::FolderLayout layout = dataFolderLayout(parser.value(kDataDir));
    const QStringList problems = common::prepareDataFolder(layout);
    const QString favourites = common::ProgramFolder(layout.data).favouritesPath();
    if (!QFileInfo::exists(favourites))
        return fail(QStringLiteral("no favourites page %1: %2")
                        .arg(favourites, problems.isEmpty()
                                             ? QStringLiteral("the program's shipped pages are "
                                                              "not in ") +
                                                   layout.shipped
                                             : problems.join(QStringLiteral("; "))));
    const auto result = links::bookmarks::importBookmarks(input, favourites, *options, &error);
    if (!result)
        return fail(error);
    if (!result->refused.isEmpty())
        std::fprintf(stderr, "lumaro-cli: left out %lld addresses that may not open: %s\n",
                     static_cast<long long>(result->refused.size()),
                     result->refused.mid(0, 5).join(u' ').toLocal8Bit().constData());
    writeOutput(QByteArray::number(result->added) + '\n');
    return 0;
}

int runExport(const QStringList &arguments) {
    QCommandLineParser parser;
    if (const auto done = parseCommand(parser, {kDataDir}, kExportHelp, arguments))
        return *done;
    if (const QString missing = missingOption(parser, {kDataDir}); !missing.isEmpty())
        return fail(missing);
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("expected one FILE"));
    QString error;
    const auto written = links::bookmarks::exportBookmarks(
        common::ProgramFolder(parser.value(kDataDir)).favouritesPath(),
        parser.positionalArguments().front(), &error);
    if (!written)
        return fail(error);
    writeOutput(QByteArray::number(*written) + '\n');
    return 0;
}

} // namespace

const CommandHelp kBookmarksHelp{
    QStringLiteral("bookmarks import|export --data-dir 文件夹 文件"),
    QStringLiteral("收藏页和 Firefox、Chromium 的书签文件（bookmarks.html）互相转换。")};

int runBookmarksCommand(const QStringList &arguments) {
    return runCommandGroup(kBookmarksHelp,
                           {{QStringLiteral("import"), &kImportHelp, runImport},
                            {QStringLiteral("export"), &kExportHelp, runExport}},
                           arguments);
}

} // namespace cli
