#include "bookmarksimport.h"

#include "favouriteslinks.h"
#include "favouriteswrite.h"

#include <QDateTime>

namespace links::bookmarks {

namespace {

std::optional<common::TextFileContent>
readFile(const QString &path, const common::ReadOptions &options, QString *error) {
    common::TextFileContent file = common::readTextFile(path, options);
    if (file.tooLarge) {
        *error =
            QStringLiteral("无法读取 %1：文件超过 %2 字节的上限").arg(path).arg(options.maxBytes);
        return std::nullopt;
    }
    if (!file.ok) {
        *error = QStringLiteral("无法读取 %1：%2").arg(path, file.error);
        return std::nullopt;
    }
    return file;
}

common::ReadOptions favouritesOptions() {
    common::ReadOptions options;
    options.maxBytes = common::kMaxTextFileBytes;
    return options;
}

} // namespace

std::optional<ImportResult> importBookmarks(const QString &bookmarksPath,
                                            const QString &favouritesPath,
                                            const common::ReadOptions &options, QString *error) {
    const auto bookmarksFile = readFile(bookmarksPath, options, error);
    if (!bookmarksFile)
        return std::nullopt;
    const auto favouritesFile = readFile(favouritesPath, favouritesOptions(), error);
    if (!favouritesFile)
        return std::nullopt;
    const ReadBookmarks read = readBookmarks(bookmarksFile->text);
    QList<favourites::Entry> entries;
    entries.reserve(read.bookmarks.size());
    for (const Bookmark &bookmark : read.bookmarks)
        entries.append(
            {bookmark.address, bookmark.title, folderPath(bookmark.folders), bookmark.added});
    const auto changed = favourites::addEntries(favouritesFile->text, entries, favourites::newKey);
    if (!changed) {
        *error = QStringLiteral("link.htm 里没有收藏的表格（找不到 </tr>），没有导入");
        return std::nullopt;
    }
    // What the program could not read back is never written.
    if (changed->file.size() > common::kMaxTextFileBytes ||
        common::encodeText(changed->file, favouritesFile->encoding).size() >
            common::kMaxTextFileBytes) {
        *error = QStringLiteral("导入 %1 个书签后 link.htm 将超过程序能读的 %2 MB，没有导入")
                     .arg(changed->added)
                     .arg(common::kMaxTextFileBytes >> 20);
        return std::nullopt;
    }
    ImportResult result;
    result.added = changed->added;
    result.duplicates = int(entries.size()) - changed->added;
    result.refused = read.refused;
    if (changed->added > 0 && !favourites::writeFavouritesFile(
                                  favouritesPath, favouritesFile->text, changed->file,
                                  favouritesFile->encoding, favourites::Change::AddRows, error))
        return std::nullopt;
    return result;
}

std::optional<int> exportBookmarks(const QString &favouritesPath, const QString &bookmarksPath,
                                   QString *error) {
    const auto favouritesFile = readFile(favouritesPath, favouritesOptions(), error);
    if (!favouritesFile)
        return std::nullopt;
    const QList<favourites::Entry> entries = favourites::entryList(favouritesFile->text);
    const QString text = writeBookmarks(entries, QStringLiteral("Lumaro浏览器收藏夹"),
                                        QDateTime::currentSecsSinceEpoch());
    if (!common::writeTextFile(bookmarksPath, text, common::FileEncoding::Utf8, error))
        return std::nullopt;
    return int(entries.size());
}

} // namespace links::bookmarks
