#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

// The files of a series folder: one file per chapter ("0001 第一章 雨夜.txt") and the index
// 目录.txt that records where each chapter came from.
namespace serial {

inline const QString kIndexFileName = QStringLiteral("目录.txt");

// A folder name for a serial from a title or a name the user typed: cleaned with
// correctNameHaveSpace, spaces trimmed, shortened to fit; "连续保存" when nothing usable is left.
// Example: seriesFolderName(u" ../雨夜: 上 ") == "雨夜 上".
QString seriesFolderName(const QString &title);

// The file name of chapter `number`: four digits (more past 9999), a space, the cleaned title,
// the extension; just the number when the title cleans to nothing.
// Example: chapterFileName(1, u"第一章 雨夜", ".txt") == "0001 第一章 雨夜.txt".
QString chapterFileName(int number, const QString &title, const QString &extension);

// The number a chapter file's name starts with ("0012 x.txt" gives 12); 0 when it has none.
int chapterNumberOf(const QString &fileName);

struct IndexEntry {
    int number = 0;
    QString title;
    QUrl address;
    QDateTime time;
};

// The index's text: one line per entry, "number<TAB>title<TAB>address<TAB>yyyy-MM-dd HH:mm:ss",
// CR LF after each. Tabs and line ends inside a title become spaces.
QString formatIndex(const QList<IndexEntry> &entries);

// Reads an index back, from any line ends; lines that do not parse are left out.
QList<IndexEntry> parseIndex(QStringView text);

} // namespace serial
