// lumaro-cli index and search: the full-text index of the saved files in a data folder's
// index/, made and asked from the command line.
#include "clicommands.h"
#include "clioutput.h"

#include "common/datafolder.h"
#include "common/programfolder.h"
#include "fulltext/saveddocument.h"
#include "fulltext/savedindex.h"
#include "fulltext/savedsearch.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cstdio>

namespace cli {

namespace {

const QCommandLineOption kDataDir(QStringLiteral("data-dir"),
                                  QStringLiteral("数据文件夹，索引在它的 index 文件夹里；"
                                                 "不给时用浏览器默认的数据文件夹"),
                                  QStringLiteral("文件夹"));

const QCommandLineOption
    kFormat(QStringLiteral("format"),
            QStringLiteral("每个结果的写法：tsv（路径、标题、时间、类型、"
                           "来源网址、摘要，用制表符隔开）或 json（每行一个对象）；"
                           "不给时写路径、标题和摘要"),
            QStringLiteral("格式"));

const QCommandLineOption kLimit(QStringLiteral("limit"),
                                QStringLiteral("最多列出这么多个结果（默认 20）"),
                                QStringLiteral("个数"));

const QCommandLineOption kSort(QStringLiteral("sort"),
                               QStringLiteral("结果的顺序：relevance（最相关的在前，默认）"
                                              "或 date（最新保存的在前）"),
                               QStringLiteral("顺序"));
const QCommandLineOption
    kSince(QStringLiteral("since"),
           QStringLiteral("只要这一天（YYYY-MM-DD，本地时间）以后保存的，含这一天"),
           QStringLiteral("日期"));
const QCommandLineOption
    kUntil(QStringLiteral("until"),
           QStringLiteral("只要这一天（YYYY-MM-DD，本地时间）以前保存的，含这一天"),
           QStringLiteral("日期"));
const QCommandLineOption
    kKind(QStringLiteral("kind"),
          QStringLiteral("只要这一类：htm（网页）、txt（文本）、chapter（章节）、"
                         "epub（书）或 pdf；saved（保存的文件，默认）、read（读过的网页）"
                         "或 all（两者）"),
          QStringLiteral("类型"));
const QCommandLineOption kDir(QStringLiteral("dir"),
                              QStringLiteral("只要在这个文件夹里的：路径中任何一层文件夹的名字，"
                                             "或一个文件夹的路径"),
                              QStringLiteral("文件夹"));
const QCommandLineOption kSite(QStringLiteral("site"),
                               QStringLiteral("只要从这个网站（及其子域名）保存的"),
                               QStringLiteral("网站"));

// The filters lumaro-cli's options give; false with `error` set when one cannot be read.
bool readFilterOptions(const QCommandLineParser &parser, fulltext::SearchFilters *filters,
                       QString *error) {
    const QString sort = parser.value(kSort);
    if (!sort.isEmpty() && sort != QLatin1String("relevance") && sort != QLatin1String("date")) {
        *error = QStringLiteral("--sort is relevance or date");
        return false;
    }
    filters->newestFirst = sort == QLatin1String("date");
    if (!fulltext::readDateRange(parser.value(kSince), parser.value(kUntil), filters, error))
        return false;
    // Saved files unless asked otherwise: scripts written before pages read were kept get
    // files only.
    filters->scope = fulltext::SearchFilters::Scope::Saved;
    // The rest read as the query's own filters do.
    QStringList written;
    for (const auto &[option, name] :
         {std::pair{&kKind, "kind"}, {&kDir, "dir"}, {&kSite, "site"}}) {
        for (QString value : parser.values(*option)) {
            if (option == &kKind && (value == u"saved" || value == u"read" || value == u"all")) {
                filters->scope = value == u"saved"  ? fulltext::SearchFilters::Scope::Saved
                                 : value == u"read" ? fulltext::SearchFilters::Scope::Read
                                                    : fulltext::SearchFilters::Scope::All;
                continue;
            }
            if (option == &kDir && value.contains(u'/'))
                value = QFileInfo(value).absoluteFilePath(); // a path from where it is given
            written.append(QStringLiteral("%1:\"%2\"").arg(QLatin1String(name), value));
        }
    }
    const fulltext::FilteredQuery read = fulltext::splitFilters(written.join(u' '));
    if (!read.error.isEmpty()) {
        *error = read.error;
        return false;
    }
    filters->kinds = read.filters.kinds;
    filters->dirs = read.filters.dirs;
    filters->sites = read.filters.sites;
    return true;
}

// The data folder the browser would use: --data-dir, a portable copy's, else the
// application data folder of "Lumaro".
QString dataFolder(const QCommandLineParser &parser) {
    return dataFolderLayout(parser.value(kDataDir)).data;
}

// One field of an output line: no tabs or line breaks, the marks of found words taken out.
QString field(QString text) {
    return lineField(text.remove(fulltext::kMarkStart).remove(fulltext::kMarkEnd));
}

// When a file was saved, in local time with its offset; empty when the index does not know.
QString savedTime(qint64 seconds) {
    return localIsoTime(seconds * 1000);
}

// A hit as a line of output in `format`: "" (path, title, snippet), "tsv" or "json".
QString hitLine(const fulltext::SearchHit &hit, const QString &format) {
    if (format == QLatin1String("json")) {
        const QJsonObject object{{QStringLiteral("path"), hit.path},
                                 {QStringLiteral("title"), field(hit.title)},
                                 {QStringLiteral("date"), savedTime(hit.saved)},
                                 {QStringLiteral("kind"), hit.kind},
                                 {QStringLiteral("source"), hit.source},
                                 {QStringLiteral("size"), double(hit.size)},
                                 {QStringLiteral("snippet"), field(hit.snippet)}};
        return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + u'\n';
    }
    // A page read has no file: its address stands in the file's place.
    QStringList fields{field(hit.path.isEmpty() ? hit.source : hit.path), field(hit.title)};
    if (format == QLatin1String("tsv"))
        fields << savedTime(hit.saved) << field(hit.kind) << field(hit.source);
    fields << field(hit.snippet);
    return fields.join(u'\t') + u'\n';
}

} // namespace

const CommandHelp kIndexHelp{
    QStringLiteral("index [--data-dir 文件夹] 文件夹..."),
    QStringLiteral("把文件夹里（含子文件夹）的 .htm、.html、.txt、.epub 和 .pdf 文件编入全文索引："
                   "只读新的和改过的，删掉和移走的从索引中去掉；写出各有几个。")};

const CommandHelp kSearchHelp{
    QStringLiteral("search [--data-dir 文件夹] [--limit 个数] [--format tsv|json] "
                   "[--sort relevance|date] [--since 日期] [--until 日期] [--kind 类型] "
                   "[--dir 文件夹] [--site 网站] 词..."),
    QStringLiteral("在全文索引里找保存过的文件，每行一个，最好的在前：路径、标题、摘要，"
                   "用制表符隔开。\"词组\" 找整个词组，-词 排除，词* 找以它开头的词；"
                   "词里也可以写 date:2026-01-01..2026-06-30、site:example.cn、dir:新闻、"
                   "kind:txt、sort:date。只给选项不给词时列出选项选中的全部文件。"
                   "什么也没找到时退出状态为 1。")};

int runIndexCommand(const QStringList &arguments) {
    QCommandLineParser parser;
    if (const auto done = parseCommand(parser, {kDataDir}, kIndexHelp, arguments))
        return *done;
    const QStringList folders = parser.positionalArguments();
    if (folders.isEmpty())
        return fail(QStringLiteral("expected at least one FOLDER"));
    for (const QString &folder : folders) {
        if (!QFileInfo(folder).isDir())
            return fail(QStringLiteral("not a folder: ") + folder);
    }
    const common::ProgramFolder data(dataFolder(parser));
    if (!QDir().mkpath(data.path()))
        return fail(QStringLiteral("cannot create the folder ") + data.path());
    const QString folder = data.filePath(QStringLiteral("index"));
    fulltext::SavedIndex::Stats stats;
    // A damaged index is moved aside and made anew from the files, once.
    for (int attempt = 0;; ++attempt) {
        QString error;
        QString movedAside;
        auto index = fulltext::SavedIndex::open(folder, &error, &movedAside);
        if (!index)
            return fail(QStringLiteral("cannot open the index: ") + error);
        if (!movedAside.isEmpty())
            std::fprintf(stderr, "lumaro-cli: the index was broken, moved to %s and made anew\n",
                         movedAside.toLocal8Bit().constData());
        stats = index->updateFolders(
            folders, fulltext::readSavedSources(data.filePath(QStringLiteral("seen.txt"))));
        const fulltext::IndexFault fault = index->fault();
        if (!fault)
            break;
        if (fault.kind != fulltext::IndexFault::Damaged || attempt > 0)
            return fail(QStringLiteral("cannot write the index: ") +
                        (fault.kind == fulltext::IndexFault::NoSpace
                             ? QStringLiteral("the disk is full")
                             : fault.message));
        index.reset();
        const QString aside = fulltext::SavedIndex::moveAside(folder);
        if (aside.isEmpty())
            return fail(QStringLiteral("the index is damaged and cannot be moved aside: ") +
                        fault.message);
        std::fprintf(stderr, "lumaro-cli: the index was broken, moved to %s and made anew\n",
                     aside.toLocal8Bit().constData());
    }
    writeOutput(QStringLiteral("added %1 changed %2 removed %3 unchanged %4 unreadable %5\n")
                    .arg(stats.added)
                    .arg(stats.changed)
                    .arg(stats.removed)
                    .arg(stats.unchanged)
                    .arg(stats.failed)
                    .toUtf8());
    return 0;
}

// "-广告 天气": a word that starts with "-" and is none of `options` (nor help or version)
// begins the query, and so does every word after it.
QStringList queryAfterOptions(QStringList arguments, const QList<QCommandLineOption> &options) {
    QStringList withValue;
    for (const QCommandLineOption &option : options) {
        if (!option.valueName().isEmpty())
            withValue.append(QStringLiteral("--") + option.names().constFirst());
    }
    static const QStringList alone{"-h", "--help", "-v", "--version", "--"};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!argument.startsWith(u'-') || argument == QLatin1String("-") ||
            alone.contains(argument))
            return arguments;
        if (withValue.contains(argument)) {
            ++i;
            continue;
        }
        if (withValue.contains(argument.section(u'=', 0, 0)))
            continue;
        arguments.insert(i, QStringLiteral("--"));
        return arguments;
    }
    return arguments;
}

int runSearchCommand(const QStringList &arguments) {
    QCommandLineParser parser;
    // "天气 -北京": a word after the first is the query's, even when it starts with "-".
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QList<QCommandLineOption> options{kDataDir, kLimit, kFormat, kSort, kSince,
                                            kUntil,   kKind,  kDir,    kSite};
    if (const auto done =
            parseCommand(parser, options, kSearchHelp, queryAfterOptions(arguments, options)))
        return *done;
    fulltext::SearchFilters filters;
    QString filterError;
    if (!readFilterOptions(parser, &filters, &filterError))
        return fail(filterError);
    if (parser.positionalArguments().isEmpty() && !filters.any())
        return fail(QStringLiteral("expected a QUERY"));
    int limit = 20;
    if (parser.isSet(kLimit)) {
        bool ok = false;
        limit = parser.value(kLimit).toInt(&ok);
        if (!ok || limit < 1)
            return fail(QStringLiteral("--limit needs a positive number"));
    }
    const QString format = parser.value(kFormat);
    if (!format.isEmpty() && format != QLatin1String("tsv") && format != QLatin1String("json"))
        return fail(QStringLiteral("--format is tsv or json"));
    const QString folder =
        common::ProgramFolder(dataFolder(parser)).filePath(QStringLiteral("index"));
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("no index in ") + folder);
    const fulltext::SearchResults results = fulltext::searchIndexFolder(
        folder, parser.positionalArguments().join(u' '), 0, limit, filters);
    if (!results.ok)
        return fail(QStringLiteral("cannot search the index: ") + results.error);
    if (!results.notice.isEmpty())
        std::fputs((results.notice + u'\n').toLocal8Bit().constData(), stderr);
    for (const fulltext::SearchHit &hit : results.hits)
        writeOutput(hitLine(hit, format).toUtf8());
    return results.hits.isEmpty() ? 1 : 0;
}

} // namespace cli
