#include "seriesstart.h"

#include "commands/serial/chapterstore.h"

#include <QDir>
#include <QFileInfo>

namespace commands {

namespace {

const QString kCaption = QStringLiteral("连续保存");

// A folder beside `folder` that does not exist yet: "雨夜 (2)", "雨夜 (3)", ...
QString freeFolder(const QString &folder) {
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)").arg(folder).arg(n);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

const QString kDefaultOptions = QStringLiteral("1 0 文本");

// New chapters follow those of the series saved in `folder` (`saved` of them).
void appendAfter(serial::ChainState &state, int saved,
                 const std::optional<serial::ChainState> &open) {
    state.count = saved;
    state.limit = state.limit > 0 ? saved + state.limit : 0;
    if (open) {
        state.title = open->title;
        state.firstTitle = open->firstTitle;
        state.titleSuffix = open->titleSuffix;
        state.author = open->author;
    }
}

} // namespace

std::optional<SeriesStart> seriesStartWithoutDialogs(const QString &savePath, const QString &name,
                                                     QString *error) {
    serial::ChainState state = *serial::parseChainOptions(kDefaultOptions);
    const QString folder = QDir(savePath).filePath(serial::seriesFolderName(name));
    state.title = serial::seriesFolderName(name);
    if (const int saved = ChapterStore::lastSavedNumber(folder); saved > 0)
        appendAfter(state, saved, serial::readChainState(folder));
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("无法创建文件夹：") + folder;
        return std::nullopt;
    }
    return SeriesStart{folder, state, false};
}

std::optional<SeriesStart> askSeriesStart(CommandContext &context, const QString &pageTitle) {
    const std::optional<QString> name = context.dialogs.inputText(
        kCaption, QStringLiteral("系列的名字（在默认保存路径下以此建文件夹）："),
        serial::seriesFolderName(pageTitle));
    if (!name)
        return std::nullopt;
    const std::optional<QString> optionText = context.dialogs.inputText(
        kCaption,
        QStringLiteral("每两章之间等待的秒数、最多保存的章数（0为不限）、保存格式（文本或HTML），"
                       "用空格分开："),
        kDefaultOptions);
    if (!optionText)
        return std::nullopt;
    std::optional<serial::ChainState> state = serial::parseChainOptions(*optionText);
    if (!state) {
        context.dialogs.message(kCaption, QStringLiteral("设置的格式不对，例如：1 0 文本"),
                                Dialogs::Buttons::Ok);
        return std::nullopt;
    }
    QString folder = QDir(context.savePath()).filePath(serial::seriesFolderName(*name));
    const std::optional<serial::ChainState> open = serial::readChainState(folder);
    if (open && !open->finished &&
        context.dialogs.message(
            kCaption, QStringLiteral("该文件夹里有没有完成的连续保存，继续上次的连续保存吗？"),
            Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes)
        return SeriesStart{folder, *open, true};
    state->title = serial::seriesFolderName(*name);
    // A series saved before is never replaced: new chapters follow its last one, or go into a
    // folder of their own.
    if (const int saved = ChapterStore::lastSavedNumber(folder); saved > 0) {
        const auto answer = context.dialogs.message(
            kCaption,
            QStringLiteral("已有名为“%1”的系列，已保存到第%2章。\n选“是”把新的章节接在后面"
                           "（从第%3章起），选“否”另建一个文件夹保存。")
                .arg(state->title)
                .arg(saved)
                .arg(saved + 1),
            Dialogs::Buttons::YesNo);
        if (answer == Dialogs::Answer::Yes) {
            appendAfter(*state, saved, open);
        } else {
            folder = freeFolder(folder);
            state->title = QDir(folder).dirName();
        }
    }
    if (!QDir().mkpath(folder)) {
        context.dialogs.message(kCaption, QStringLiteral("无法创建文件夹：") + folder,
                                Dialogs::Buttons::Ok);
        return std::nullopt;
    }
    return SeriesStart{folder, *state, false};
}

} // namespace commands
