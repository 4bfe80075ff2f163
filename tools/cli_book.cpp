// lumaro-cli book FOLDER --out NAME: a series folder made into NAME.txt and NAME.epub.
#include "clioutput.h"

#include "serial/book.h"

#include <QStringList>

#include <cstdio>

int runBookCommand(const QStringList &args) {
    QString folder;
    QString out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--out") && i + 1 < args.size()) {
            out = args.at(++i);
        } else if (!args.at(i).startsWith(QLatin1String("--")) && folder.isEmpty()) {
            folder = args.at(i);
        } else {
            std::fprintf(stderr, "lumaro-cli: unknown option %s\n",
                         args.at(i).toLocal8Bit().constData());
            return 2;
        }
    }
    if (folder.isEmpty() || out.isEmpty()) {
        std::fputs("lumaro-cli: usage: lumaro-cli book FOLDER --out NAME\n", stderr);
        return 2;
    }
    QString error;
    const std::optional<serial::Book> book = serial::readSeriesFolder(folder, &error);
    if (!book || !serial::writeBook(*book, out, &error)) {
        std::fprintf(stderr, "lumaro-cli: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    cli::writeOutput(QByteArray::number(book->chapters.size()) + '\n');
    return 0;
}
