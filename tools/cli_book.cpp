// lumaro-cli book FOLDER --out NAME: a series folder made into NAME.txt and NAME.epub.
#include "clicommands.h"
#include "clioutput.h"

#include "serial/book.h"

namespace cli {

const CommandHelp kBookHelp{
    QStringLiteral("book 文件夹 --out 名字"),
    QStringLiteral("把连续保存的章节文件夹合并成一本书：名字.txt 和 名字.epub。")};

int runBookCommand(const QStringList &arguments) {
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("书的文件名，不带 .txt 和 .epub"),
                                 QStringLiteral("名字"));
    QCommandLineParser parser;
    if (const auto done = parseCommand(parser, {out}, kBookHelp, arguments))
        return *done;
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 1 || parser.value(out).isEmpty())
        return fail(QStringLiteral("usage: lumaro-cli book FOLDER --out NAME"));
    QString error;
    const std::optional<serial::Book> book = serial::readSeriesFolder(folders.front(), &error);
    if (!book || !serial::writeBook(*book, parser.value(out), &error))
        return fail(error);
    writeOutput(QByteArray::number(book->chapters.size()) + '\n');
    return 0;
}

} // namespace cli
