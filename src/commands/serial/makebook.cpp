#include "makebook.h"

#include "serial/book.h"
#include "serial/chainstate.h"

#include <QDir>
#include <QFileInfo>

namespace commands {

namespace {

const QString kBookCaption = QStringLiteral("连续保存");

} // namespace

void makeBookOfFolder(CommandContext &context) {
    const QString folder = context.dialogs.chooseFolder(
        QStringLiteral("请选择要合并成一本书的系列文件夹"), context.savePath());
    if (folder.isEmpty())
        return;
    QString error;
    std::optional<serial::Book> book = serial::readSeriesFolder(folder, &error);
    if (book && book->author.isEmpty()) {
        // No page named the author: the user may, once; the series keeps it for later books.
        const std::optional<QString> author = context.dialogs.inputText(
            kBookCaption, QStringLiteral("网页上没有写作者。这本书的作者（不知道就留空）："),
            QString());
        if (author && !author->trimmed().isEmpty()) {
            book->author = author->trimmed();
            if (std::optional<serial::ChainState> state = serial::readChainState(folder)) {
                state->author = book->author;
                serial::writeChainState(folder, *state);
            }
        }
    }
    const QDir dir(folder);
    const QString path =
        QFileInfo(dir.absolutePath()).absolutePath() + QLatin1Char('/') + dir.dirName();
    if (!book || !serial::writeBook(*book, path, &error)) {
        context.dialogs.message(kBookCaption, error, Dialogs::Buttons::Ok);
        return;
    }
    context.dialogs.message(kBookCaption,
                            QStringLiteral("已合并成一本书（%1章）：\n%2.txt\n%2.epub")
                                .arg(book->chapters.size())
                                .arg(QDir::toNativeSeparators(path)),
                            Dialogs::Buttons::Ok);
}

} // namespace commands
