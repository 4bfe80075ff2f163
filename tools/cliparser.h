#pragma once

#include "common/datafolder.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <QTemporaryFile>

#include <memory>
#include <optional>

#include "common/ansifile.h"
#include <utility>

// The command line of lumaro-cli's commands: every command is parsed by QCommandLineParser
// with its own options plus -h/--help and -v/--version, and its help is written in Chinese
// from the same options, so the help never lists an option the parser does not take.
namespace cli {

struct CommandHelp {
    CommandHelp(QString usage, QString summary, QString text = QString())
        : usage(std::move(usage)), summary(std::move(summary)), text(std::move(text)) {}
    QString usage;   // after "lumaro-cli ": "totext [--delete-link] [--delete-script] 文件"
    QString summary; // one or two lines of what the command does
    QString text;    // when not empty, what --help writes instead of the options' list
};

// The option of every command that reads a FILE: the charset to read it in.
QCommandLineOption charsetOption();
// How a command's input file is read: as HTML, in the charset of --charset when it is given,
// and no more than kMaxTextFileBytes of it (an endless input is refused, not read on). No
// value, with the reason in `error`, for an unknown charset.
std::optional<common::ReadOptions> inputOptions(const QCommandLineParser &parser, QString *error);

// Parses a command's own arguments (those after its name) with `options`. Gives the exit
// status when the command ends here: 0 after --help or --version was written, 2 after a wrong
// option (the message on standard error), and no value when the command is to run.
std::optional<int> parseCommand(QCommandLineParser &parser,
                                const QList<QCommandLineOption> &options, const CommandHelp &help,
                                const QStringList &arguments);

// One command of a command group: "import" of "bookmarks import|export".
struct Subcommand {
    QString name;
    const CommandHelp *help;
    int (*run)(const QStringList &arguments); // with the arguments after its name
};

// Runs the command of a group named first in `arguments` ("bookmarks import ..."). The
// group's --help lists its commands, each with its usage and summary. No name or an unknown
// one is said ("bookmarks needs import or export") with exit status 2.
int runCommandGroup(const CommandHelp &group, const QList<Subcommand> &commands,
                    const QStringList &arguments);

// The help of a command, as --help writes it: usage, summary and every option.
QString helpText(const QList<QCommandLineOption> &options, const CommandHelp &help);

// "missing --base" for the first of `required` that was not given; empty when all were.
QString missingOption(const QCommandLineParser &parser, const QList<QCommandLineOption> &required);

// Says `message` on standard error ("lumaro-cli: ...") and gives exit status 2.
int fail(const QString &message);

// The program's folders as the browser would decide them with `dataDir` (--data-dir, may be
// empty): a portable copy's, else the application data folder of "Lumaro".
common::FolderLayout dataFolderLayout(const QString &dataDir);

// The file to read for the input `path`: `path` itself, or for a pipe (FIFO) a copy of what
// was written to it, kept in `copy` (a pipe that nobody writes to within `waitMs` would be
// waited on for ever). Empty, with the reason, for an empty name or a silent pipe.
QString inputPath(const QString &path, QString *error, std::unique_ptr<QTemporaryFile> &copy,
                  int waitMs = 30000);

// What --version writes: the version and the licence.
QString versionText();

} // namespace cli
