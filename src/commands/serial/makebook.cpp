#include "makebook.h"

#include "serial/book.h"

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
    const std::optional<serial::Book> book = serial::readSeriesFolder(folder, &error);
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
