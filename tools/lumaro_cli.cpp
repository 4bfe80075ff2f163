// lumaro-cli: the browser's text algorithms on files, for scripts and tests.
#include "clioutput.h"

#include "common/ansifile.h"
#include "common/htmlcharset.h"
#include "common/linkaddress.h"
#include "links/emailscanner.h"
#include "links/linkscanner.h"
#include "saving/filenaming.h"
#include "saving/linkrewriter.h"
#include "text/htmltotext.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <optional>

int runBookCommand(const QStringList &args); // cli_book.cpp

namespace {

const char kUsage[] =
    "usage:\n"
    "  lumaro-cli totext [--delete-link] [--delete-script] FILE\n"
    "  lumaro-cli links --command openallw|opencwpallwz|openallx|openallj|opensallp|savehref"
    " --base URL [--charset NAME] FILE\n"
    "  lumaro-cli emails FILE\n"
    "  lumaro-cli rewrite-links --base URL [--charset NAME] FILE\n"
    "  lumaro-cli correct-name [--keep-spaces] TEXT\n"
    "  lumaro-cli extract-name --before TEXT --after TEXT FILE\n"
    "  lumaro-cli charset FILE\n"
    "  lumaro-cli book FOLDER --out NAME\n"
    "Every command that reads a FILE takes --charset NAME (GBK, UTF-8, Big5, windows-1251, ...)\n"
    "to read it in that charset instead of the one the file shows or declares.\n";

int fail(const QString &message) {
    std::fprintf(stderr, "lumaro-cli: %s\n", message.toLocal8Bit().constData());
    return 2;
}

void print(const QString &text) {
    cli::writeOutput(common::withKeptBytesReplaced(text).toUtf8());
}

void printLines(const QStringList &lines) {
    for (const QString &line : lines)
        print(line + u'\n');
}

// The options of one subcommand: flags, options with a value, and the positional arguments.
struct Arguments {
    QStringList flags;
    QHash<QString, QString> values;
    QStringList positional;
    QString error;
};

// The option every command that reads a FILE takes: the charset to read it in.
const QString kCharsetOption = QStringLiteral("--charset");

Arguments parse(const QStringList &args, const QStringList &knownFlags,
                const QStringList &knownValues) {
    Arguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (knownFlags.contains(arg)) {
            parsed.flags.append(arg);
        } else if (knownValues.contains(arg) || arg == kCharsetOption) {
            if (i + 1 >= args.size()) {
                parsed.error = arg + QStringLiteral(" needs a value");
                return parsed;
            }
            parsed.values.insert(arg, args[++i]);
        } else if (arg.startsWith(QStringLiteral("--")) && arg.size() > 2) {
            parsed.error = QStringLiteral("unknown option ") + arg;
            return parsed;
        } else {
            parsed.positional.append(arg);
        }
    }
    for (const QString &name : knownValues) {
        if (!parsed.values.contains(name))
            parsed.error = QStringLiteral("missing ") + name;
    }
    return parsed;
}

// How the input file is read: as HTML, in the charset of --charset when it is given, and no
// more than kMaxTextFileBytes of it (an endless input is refused, not read on).
std::optional<common::ReadOptions> inputOptions(const Arguments &args, QString *error) {
    common::ReadOptions options;
    options.kind = common::TextKind::Html;
    options.maxBytes = common::kMaxTextFileBytes;
    if (!args.values.contains(kCharsetOption))
        return options;
    const QString name = args.values.value(kCharsetOption);
    options.charset = common::charsetForLabel(name.toLatin1());
    if (options.charset.isEmpty()) {
        *error = QStringLiteral("unknown charset ") + name;
        return std::nullopt;
    }
    return options;
}

// Reads the one input file of a subcommand, or says why not (a bad option included).
std::optional<common::TextFileContent> readInputFile(const Arguments &args, QString *error) {
    if (!args.error.isEmpty()) {
        *error = args.error;
        return std::nullopt;
    }
    if (args.positional.size() != 1) {
        *error = QStringLiteral("expected one FILE");
        return std::nullopt;
    }
    const auto options = inputOptions(args, error);
    if (!options)
        return std::nullopt;
    common::TextFileContent file = common::readTextFile(args.positional.front(), *options);
    if (file.tooLarge) {
        *error = QStringLiteral("cannot read %1: the file is larger than the limit of %2 bytes")
                     .arg(args.positional.front())
                     .arg(common::kMaxTextFileBytes);
        return std::nullopt;
    }
    if (!file.ok) {
        *error = QStringLiteral("cannot read %1: %2").arg(args.positional.front(), file.error);
        return std::nullopt;
    }
    return file;
}

std::optional<QString> readInput(const Arguments &args, QString *error) {
    const auto file = readInputFile(args, error);
    return file ? std::optional<QString>(file->text) : std::nullopt;
}

int run(const QString &command, QStringList rest) {
    QString error;
    if (command == QLatin1String("book"))
        return runBookCommand(rest);
    if (command == QLatin1String("totext")) {
        const Arguments args = parse(rest, {"--delete-link", "--delete-script"}, {});
        const auto input = readInput(args, &error);
        if (!input)
            return fail(error);
        print(text::deleteHtmlTag(*input, args.flags.contains("--delete-link"),
                                  args.flags.contains("--delete-script")));
        return 0;
    }
    if (command == QLatin1String("links")) {
        const Arguments args = parse(rest, {}, {"--command", "--base"});
        // Queries are encoded in the charset the page is read in, as the browser does.
        const auto input = readInputFile(args, &error);
        if (!input)
            return fail(error);
        const auto linkCommand = links::linkCommandFromName(args.values.value("--command"));
        if (!linkCommand)
            return fail(QStringLiteral("unknown command ") + args.values.value("--command"));
        for (const links::HarvestedLink &link :
             links::scanLinks(input->text, args.values.value("--base"), *linkCommand,
                              QString::fromLatin1(input->charset)))
            print(link.url + u'\n');
        return 0;
    }
    if (command == QLatin1String("emails")) {
        const Arguments args = parse(rest, {}, {});
        const auto input = readInput(args, &error);
        if (!input)
            return fail(error);
        printLines(links::scanEmails(*input));
        return 0;
    }
    if (command == QLatin1String("rewrite-links")) {
        const Arguments args = parse(rest, {}, {"--base"});
        const auto input = readInputFile(args, &error);
        if (!input)
            return fail(error);
        print(saving::rewriteLinks(input->text, args.values.value("--base"),
                                   QString::fromLatin1(input->charset)));
        return 0;
    }
    if (command == QLatin1String("correct-name")) {
        const Arguments args = parse(rest, {"--keep-spaces"}, {});
        if (!args.error.isEmpty())
            return fail(args.error);
        if (args.positional.size() != 1)
            return fail(QStringLiteral("expected one TEXT"));
        const QString &name = args.positional.front();
        print((args.flags.contains("--keep-spaces") ? saving::correctNameHaveSpace(name)
                                                    : saving::correctName(name)) +
              u'\n');
        return 0;
    }
    if (command == QLatin1String("extract-name")) {
        const Arguments args = parse(rest, {}, {"--before", "--after"});
        const auto input = readInput(args, &error);
        if (!input)
            return fail(error);
        const auto name = saving::extractFileName(*input, args.values.value("--before"),
                                                  args.values.value("--after"));
        if (!name)
            return 1;
        print(*name + u'\n');
        return 0;
    }
    if (command == QLatin1String("charset")) {
        const auto file = readInputFile(parse(rest, {}, {}), &error);
        if (!file)
            return fail(error);
        print(QString::fromLatin1(file->charset) + u'\n');
        return 0;
    }
    std::fputs(kUsage, stderr);
    return fail(command.isEmpty() ? QStringLiteral("no command given")
                                  : QStringLiteral("unknown command ") + command);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && (args.front() == "--help" || args.front() == "-h")) {
        cli::writeOutput(kUsage);
        return cli::finishOutput(0);
    }
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    return cli::finishOutput(run(command, args));
}
