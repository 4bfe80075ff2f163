// lumaro-cli: the browser's text algorithms on files, for scripts and tests.
#include "clicommands.h"
#include "clioutput.h"
#include "cliparser.h"

#include "common/ansifile.h"
#include "links/emailscanner.h"
#include "links/linkscanner.h"
#include "saving/filenaming.h"
#include "saving/linkrewriter.h"
#include "text/htmltotext.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

using cli::fail;

void print(const QString &text) {
    cli::writeOutput(common::withKeptBytesReplaced(text).toUtf8());
}

void printLines(const QStringList &lines) {
    for (const QString &line : lines)
        print(line + u'\n');
}

// Reads the one input file of a command, or says why not.
std::optional<common::TextFileContent> readInputFile(const QCommandLineParser &parser,
                                                     QString *error) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        *error = QStringLiteral("expected one FILE");
        return std::nullopt;
    }
    const auto options = cli::inputOptions(parser, error);
    if (!options)
        return std::nullopt;
    std::unique_ptr<QTemporaryFile> pipeCopy;
    const QString path = cli::inputPath(positional.front(), error, pipeCopy);
    if (path.isEmpty())
        return std::nullopt;
    common::TextFileContent file = common::readTextFile(path, *options);
    if (file.tooLarge) {
        *error = QStringLiteral("cannot read %1: the file is larger than the limit of %2 bytes")
                     .arg(positional.front())
                     .arg(common::kMaxTextFileBytes);
        return std::nullopt;
    }
    if (!file.ok) {
        *error = QStringLiteral("cannot read %1: %2").arg(positional.front(), file.error);
        return std::nullopt;
    }
    return file;
}

const QCommandLineOption kBase(QStringLiteral("base"),
                               QStringLiteral("网页自己的网址，相对链接据此补全"),
                               QStringLiteral("网址"));

const cli::CommandHelp kTotextHelp{
    QStringLiteral("totext [--delete-link] [--delete-script] [--charset 字符集] 文件"),
    QStringLiteral("把 HTML 文件转成纯文本（和“保存为文本”一样），写到标准输出。")};

int runTotext(const QStringList &arguments) {
    const QCommandLineOption deleteLink(QStringLiteral("delete-link"),
                                        QStringLiteral("去掉链接的文字"));
    const QCommandLineOption deleteScript(QStringLiteral("delete-script"),
                                          QStringLiteral("去掉脚本和样式"));
    QCommandLineParser parser;
    if (const auto done = cli::parseCommand(
            parser, {deleteLink, deleteScript, cli::charsetOption()}, kTotextHelp, arguments))
        return *done;
    QString error;
    const auto input = readInputFile(parser, &error);
    if (!input)
        return fail(error);
    print(text::deleteHtmlTag(input->text, parser.isSet(deleteLink), parser.isSet(deleteScript)));
    return 0;
}

const cli::CommandHelp kLinksHelp{
    QStringLiteral("links --command 命令 --base 网址 [--charset 字符集] 文件"),
    QStringLiteral("列出网页文件中的链接，每行一个，按菜单命令的规则挑选：openallw、"
                   "opencwpallwz、openallx、openallj、opensallp 或 savehref。")};

int runLinks(const QStringList &arguments) {
    const QCommandLineOption command(QStringLiteral("command"),
                                     QStringLiteral("挑选链接的菜单命令"), QStringLiteral("命令"));
    QCommandLineParser parser;
    if (const auto done = cli::parseCommand(parser, {command, kBase, cli::charsetOption()},
                                            kLinksHelp, arguments))
        return *done;
    if (const QString missing = cli::missingOption(parser, {command, kBase}); !missing.isEmpty())
        return fail(missing);
    // Queries are encoded in the charset the page is read in, as the browser does.
    QString error;
    const auto input = readInputFile(parser, &error);
    if (!input)
        return fail(error);
    const auto linkCommand = links::linkCommandFromName(parser.value(command));
    if (!linkCommand)
        return fail(QStringLiteral("unknown command ") + parser.value(command));
    for (const links::HarvestedLink &link : links::scanLinks(
             input->text, parser.value(kBase), *linkCommand, QString::fromLatin1(input->charset)))
        print(link.url + u'\n');
    return 0;
}

const cli::CommandHelp kEmailsHelp{QStringLiteral("emails [--charset 字符集] 文件"),
                                   QStringLiteral("列出文件中的电子邮件地址，每行一个。")};

int runEmails(const QStringList &arguments) {
    QCommandLineParser parser;
    if (const auto done = cli::parseCommand(parser, {cli::charsetOption()}, kEmailsHelp, arguments))
        return *done;
    QString error;
    const auto input = readInputFile(parser, &error);
    if (!input)
        return fail(error);
    printLines(links::scanEmails(input->text));
    return 0;
}

const cli::CommandHelp kRewriteHelp{
    QStringLiteral("rewrite-links --base 网址 [--charset 字符集] 文件"),
    QStringLiteral("把网页文件中的相对链接改成完整网址（和保存网页时一样），写到标准输出。")};

int runRewriteLinks(const QStringList &arguments) {
    QCommandLineParser parser;
    if (const auto done =
            cli::parseCommand(parser, {kBase, cli::charsetOption()}, kRewriteHelp, arguments))
        return *done;
    if (const QString missing = cli::missingOption(parser, {kBase}); !missing.isEmpty())
        return fail(missing);
    QString error;
    const auto input = readInputFile(parser, &error);
    if (!input)
        return fail(error);
    print(saving::rewriteLinks(input->text, parser.value(kBase),
                               QString::fromLatin1(input->charset)));
    return 0;
}

const cli::CommandHelp kCorrectNameHelp{
    QStringLiteral("correct-name [--keep-spaces] 文字"),
    QStringLiteral("把文字改成可以做文件名的样子（和保存网页时一样）。")};

int runCorrectName(const QStringList &arguments) {
    const QCommandLineOption keepSpaces(QStringLiteral("keep-spaces"), QStringLiteral("保留空格"));
    QCommandLineParser parser;
    if (const auto done = cli::parseCommand(parser, {keepSpaces}, kCorrectNameHelp, arguments))
        return *done;
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("expected one TEXT"));
    const QString name = parser.positionalArguments().front();
    print((parser.isSet(keepSpaces) ? saving::correctNameHaveSpace(name)
                                    : saving::correctName(name)) +
          u'\n');
    return 0;
}

const cli::CommandHelp kExtractNameHelp{
    QStringLiteral("extract-name --before 文字 --after 文字 [--charset 字符集] 文件"),
    QStringLiteral("取出文件中两个标记之间的文字，改成文件名；找不到标记时退出状态为 1。")};

int runExtractName(const QStringList &arguments) {
    const QCommandLineOption before(QStringLiteral("before"), QStringLiteral("前面的标记"),
                                    QStringLiteral("文字"));
    const QCommandLineOption after(QStringLiteral("after"), QStringLiteral("后面的标记"),
                                   QStringLiteral("文字"));
    QCommandLineParser parser;
    if (const auto done = cli::parseCommand(parser, {before, after, cli::charsetOption()},
                                            kExtractNameHelp, arguments))
        return *done;
    if (const QString missing = cli::missingOption(parser, {before, after}); !missing.isEmpty())
        return fail(missing);
    QString error;
    const auto input = readInputFile(parser, &error);
    if (!input)
        return fail(error);
    const auto name =
        saving::extractFileName(input->text, parser.value(before), parser.value(after));
    if (!name)
        return 1;
    print(*name + u'\n');
    return 0;
}

const cli::CommandHelp kCharsetHelp{QStringLiteral("charset [--charset 字符集] 文件"),
                                    QStringLiteral("说出读这个文件用的字符集。")};

int runCharset(const QStringList &arguments) {
    QCommandLineParser parser;
    if (const auto done =
            cli::parseCommand(parser, {cli::charsetOption()}, kCharsetHelp, arguments))
        return *done;
    QString error;
    const auto file = readInputFile(parser, &error);
    if (!file)
        return fail(error);
    print(QString::fromLatin1(file->charset) + u'\n');
    return 0;
}

struct Command {
    const char *name;
    const cli::CommandHelp *help;
    int (*run)(const QStringList &arguments);
};

const Command kCommands[] = {
    {"totext", &kTotextHelp, runTotext},
    {"links", &kLinksHelp, runLinks},
    {"emails", &kEmailsHelp, runEmails},
    {"rewrite-links", &kRewriteHelp, runRewriteLinks},
    {"correct-name", &kCorrectNameHelp, runCorrectName},
    {"extract-name", &kExtractNameHelp, runExtractName},
    {"charset", &kCharsetHelp, runCharset},
    {"book", &cli::kBookHelp, cli::runBookCommand},
    {"bookmarks", &cli::kBookmarksHelp, cli::runBookmarksCommand},
    {"index", &cli::kIndexHelp, cli::runIndexCommand},
    {"search", &cli::kSearchHelp, cli::runSearchCommand},
    {"history", &cli::kHistoryHelp, cli::runHistoryCommand},
};

QString usageText() {
    QString text = QStringLiteral("用法：\n");
    for (const Command &command : kCommands)
        text += QStringLiteral("  lumaro-cli ") + command.help->usage + u'\n';
    text += QStringLiteral("每个命令的说明：lumaro-cli 命令 --help\n");
    return text;
}

QString topHelpText() {
    QString text =
        QStringLiteral("用法：lumaro-cli 命令 [选项] [参数...]\n"
                       "在文件上运行 Lumaro浏览器的文字规则，供脚本使用。输出是 UTF-8。\n\n"
                       "命令：\n");
    for (const Command &command : kCommands) {
        text += QStringLiteral("  ") + QString::fromLatin1(command.name) + u'\n';
        text += QStringLiteral("      lumaro-cli ") + command.help->usage + u'\n';
        text += QStringLiteral("      ") + command.help->summary + u'\n';
    }
    text += QStringLiteral("\n选项：\n"
                           "  -h, --help                显示本帮助并退出\n"
                           "  -v, --version             显示版本和许可证并退出\n\n"
                           "每个读文件的命令都接受 --charset 字符集。出错时退出状态为 2。\n"
                           "每个命令的说明：lumaro-cli 命令 --help\n");
    return text;
}

int run(const QStringList &arguments) {
    const QString name = arguments.value(0);
    for (const Command &command : kCommands) {
        if (name == QLatin1String(command.name))
            return command.run(arguments.mid(1));
    }
    if (name.startsWith(u'-')) {
        QCommandLineParser parser;
        if (const auto done =
                cli::parseCommand(parser, {}, {QString(), QString(), topHelpText()}, arguments))
            return *done;
    }
    std::fputs(usageText().toUtf8().constData(), stderr);
    return fail(name.isEmpty() ? QStringLiteral("no command given")
                               : QStringLiteral("unknown command ") + name);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    return cli::finishOutput(run(app.arguments().mid(1)));
}
