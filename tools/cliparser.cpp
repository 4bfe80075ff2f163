#include "cliparser.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "clioutput.h"

#include "common/ansifile.h"

#include "common/htmlcharset.h"

#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

const QCommandLineOption &helpOption() {
    static const QCommandLineOption option({QStringLiteral("h"), QStringLiteral("help")},
                                           QStringLiteral("显示本帮助并退出"));
    return option;
}

const QCommandLineOption &versionOption() {
    static const QCommandLineOption option({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("显示版本和许可证并退出"));
    return option;
}

QString optionColumn(const QCommandLineOption &option) {
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString column = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        column += QStringLiteral(" <%1>").arg(option.valueName());
    return column;
}

// The columns a terminal gives the text: two for each wide (CJK) character.
qsizetype displayWidth(const QString &text) {
    qsizetype width = 0;
    for (QChar c : text)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

} // namespace

QCommandLineOption charsetOption() {
    return QCommandLineOption(QStringLiteral("charset"),
                              QStringLiteral("按这个字符集读文件（GBK、UTF-8、Big5、"
                                             "windows-1251……），不按文件自己表明的"),
                              QStringLiteral("字符集"));
}

// How the input file is read: as HTML, in the charset of --charset when it is given, and no
// more than kMaxTextFileBytes of it (an endless input is refused, not read on).
std::optional<common::ReadOptions> inputOptions(const QCommandLineParser &parser, QString *error) {
    common::ReadOptions options;
    options.kind = common::TextKind::Html;
    options.maxBytes = common::kMaxTextFileBytes;
    if (!parser.isSet(charsetOption()))
        return options;
    const QString name = parser.value(charsetOption());
    options.charset = common::charsetForLabel(name.toLatin1());
    if (options.charset.isEmpty()) {
        *error = QStringLiteral("unknown charset ") + name;
        return std::nullopt;
    }
    return options;
}

QString helpText(const QList<QCommandLineOption> &options, const CommandHelp &help) {
    if (!help.text.isEmpty())
        return help.text;
    QString text =
        QStringLiteral("用法：lumaro-cli %1\n%2\n\n选项：\n").arg(help.usage, help.summary);
    QList<QCommandLineOption> all = {helpOption(), versionOption()};
    all += options;
    for (const QCommandLineOption &option : all) {
        const QString column = optionColumn(option);
        const QString padding(qMax<qsizetype>(1, 26 - displayWidth(column)), u' ');
        text += QStringLiteral("  ") + column + padding + option.description() + u'\n';
    }
    return text;
}

std::optional<int> parseCommand(QCommandLineParser &parser,
                                const QList<QCommandLineOption> &options, const CommandHelp &help,
                                const QStringList &arguments) {
    parser.addOptions(options);
    parser.addOption(helpOption());
    parser.addOption(versionOption());
    if (!parser.parse(QStringList{QStringLiteral("lumaro-cli")} + arguments))
        return fail(parser.errorText());
    if (parser.isSet(helpOption())) {
        writeOutput(helpText(options, help).toUtf8());
        return 0;
    }
    if (parser.isSet(versionOption())) {
        writeOutput(versionText().toUtf8());
        return 0;
    }
    return std::nullopt;
}

int runCommandGroup(const CommandHelp &group, const QList<Subcommand> &commands,
                    const QStringList &arguments) {
    const QString groupName = group.usage.section(u' ', 0, 0);
    const QString name = arguments.value(0);
    QStringList names;
    for (const Subcommand &command : commands) {
        if (command.name == name)
            return command.run(arguments.mid(1));
        names.append(command.name);
    }
    if (name.startsWith(u'-')) {
        QString text = QStringLiteral("用法：lumaro-cli %1 %2 ...\n%3\n\n命令：\n")
                           .arg(groupName, names.join(u'|'), group.summary);
        for (const Subcommand &command : commands)
            text += QStringLiteral("  %1\n      lumaro-cli %2\n      %3\n")
                        .arg(command.name, command.help->usage, command.help->summary);
        text += QStringLiteral("\n选项：\n"
                               "  -h, --help                显示本帮助并退出\n"
                               "  -v, --version             显示版本和许可证并退出\n"
                               "每个命令的说明：lumaro-cli %1 %2 --help\n")
                    .arg(groupName, names.value(0));
        QCommandLineParser parser;
        if (const auto done =
                parseCommand(parser, {}, {group.usage, group.summary, text}, arguments))
            return *done;
    }
    return fail(name.isEmpty() ? QStringLiteral("%1 needs %2").arg(groupName, names.join(" or "))
                               : QStringLiteral("unknown %1 command %2").arg(groupName, name));
}

QString missingOption(const QCommandLineParser &parser, const QList<QCommandLineOption> &required) {
    for (const QCommandLineOption &option : required) {
        if (!parser.isSet(option))
            return QStringLiteral("missing --") + option.names().constLast();
    }
    return QString();
}

common::FolderLayout dataFolderLayout(const QString &dataDir) {
    common::FolderLayoutInput input;
    input.executableFolder = QCoreApplication::applicationDirPath();
    input.dataDirOption = dataDir;
    input.workingFolder = QDir::currentPath();
    const QString ownName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("Lumaro"));
    input.appDataLocation = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    input.documentsLocation = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCoreApplication::setApplicationName(ownName);
    return common::decideFolderLayout(input);
}

QString inputPath(const QString &path, QString *error, std::unique_ptr<QTemporaryFile> &copy,
                  int waitMs) {
    if (path.isEmpty()) {
        *error = QStringLiteral("the FILE name is empty");
        return QString();
    }
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &info) != 0 || !S_ISFIFO(info.st_mode))
        return path; // a file, or what reading it will say is wrong
    // Opened without waiting for a writer; readable once one has written (or come and gone).
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return path;
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, waitMs) <= 0) {
        ::close(fd);
        *error = QStringLiteral("nobody writes to the pipe %1 (waited %2 s)")
                     .arg(path)
                     .arg(waitMs / 1000);
        return QString();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile pipe;
    pipe.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    // The copy keeps the pipe's name's suffix, which tells HTML from text.
    copy = std::make_unique<QTemporaryFile>(
        QDir::temp().filePath(QStringLiteral("lumaro-cli-XXXXXX.") + QFileInfo(path).suffix()));
    if (!copy->open()) {
        *error = QStringLiteral("cannot copy the pipe %1: %2").arg(path, copy->errorString());
        return QString();
    }
    // A little past the reading limit, so that the limit still says "too large".
    qint64 left = common::kMaxTextFileBytes + 1;
    while (left > 0) {
        const QByteArray chunk = pipe.read(qMin<qint64>(left, 1 << 20));
        if (chunk.isEmpty())
            break;
        copy->write(chunk);
        left -= chunk.size();
    }
    copy->flush();
    return copy->fileName();
}

int fail(const QString &message) {
    std::fprintf(stderr, "lumaro-cli: %s\n", message.toLocal8Bit().constData());
    return 2;
}

QString versionText() {
    return QStringLiteral(
        "lumaro-cli " LUMARO_VERSION "\n"
        "许可证：GPL-3.0-or-later（GNU 通用公共许可证第 3 版或更新版本）。\n"
        "这是自由软件：可以自由修改和再发布。在法律允许的范围内不提供任何担保。\n");
}

} // namespace cli
