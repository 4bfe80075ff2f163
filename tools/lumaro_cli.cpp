// lumaro-cli: the browser's text algorithms on files, for scripts and tests.
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

int runBookCommand(const QStringList &args); // cli_book.cpp

namespace {

const char kUsage[] =
    "usage:\n"
    "  lumaro-cli totext [--delete-link] [--delete-script] FILE\n"
    "  lumaro-cli links --command openallw|opencwpallwz|openallx|openallj|opensallp|savehref"
    " --base URL FILE\n"
    "  lumaro-cli emails FILE\n"
    "  lumaro-cli rewrite-links --base URL FILE\n"
    "  lumaro-cli correct-name [--keep-spaces] TEXT\n"
    "  lumaro-cli extract-name --before TEXT --after TEXT FILE\n"
    "  lumaro-cli book FOLDER --out NAME\n";

int fail(const QString &message) {
    std::fprintf(stderr, "lumaro-cli: %s\n", message.toLocal8Bit().constData());
    return 2;
}

void print(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
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

Arguments parse(const QStringList &args, const QStringList &knownFlags,
                const QStringList &knownValues) {
    Arguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (knownFlags.contains(arg)) {
            parsed.flags.append(arg);
        } else if (knownValues.contains(arg)) {
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

// Reads the one input file of a subcommand, or says why not (a bad option included).
std::optional<QString> readInput(const Arguments &args, QString *error) {
    if (!args.error.isEmpty()) {
        *error = args.error;
        return std::nullopt;
    }
    if (args.positional.size() != 1) {
        *error = QStringLiteral("expected one FILE");
        return std::nullopt;
    }
    const common::TextFileContent file = common::readTextFile(args.positional.front());
    if (!file.ok) {
        *error = QStringLiteral("cannot read %1: %2").arg(args.positional.front(), file.error);
        return std::nullopt;
    }
    return file.text;
}

int run(const QString &command, const QStringList &rest) {
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
        const auto input = readInput(args, &error);
        if (!input)
            return fail(error);
        const auto linkCommand = links::linkCommandFromName(args.values.value("--command"));
        if (!linkCommand)
            return fail(QStringLiteral("unknown command ") + args.values.value("--command"));
        for (const links::HarvestedLink &link :
             links::scanLinks(*input, args.values.value("--base"), *linkCommand))
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
        const auto input = readInput(args, &error);
        if (!input)
            return fail(error);
        print(saving::rewriteLinks(*input, args.values.value("--base")));
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
    std::fputs(kUsage, stderr);
    return fail(command.isEmpty() ? QStringLiteral("no command given")
                                  : QStringLiteral("unknown command ") + command);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && (args.front() == "--help" || args.front() == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    return run(command, args);
}
