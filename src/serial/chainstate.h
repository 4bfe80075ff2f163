#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The place of a serial being saved, kept in its series folder so that saving can go on after
// a stop, a crash or a restart.
namespace serial {

// The state file's name inside the series folder.
inline const QString kStateFileName = QStringLiteral("连续保存.ini");

enum class ChapterFormat { Text, Html };

struct ChainState {
    QString title; // the serial's name (the folder's name)
    QUrl next;     // the chapter to save next
    int count = 0; // chapters saved so far; the next one gets number count + 1
    ChapterFormat format = ChapterFormat::Text;
    int delayMs = 1000;    // the pause between two pages
    int limit = 0;         // stop after this many chapters in all; 0 for no limit
    bool finished = false; // the last chapter is saved; `next` is then empty
    // Where a page has several next links, the one the user chose (1 for the first in page
    // order); later pages of the series take the link at the same place. 0 before any choice.
    int choice = 0;
    // The visible text of the link the user pointed at as the next chapter ("以此链接为下一章");
    // later pages take the link with this text. Empty before any such choice.
    QString linkText;
    // The page to load next continues chapter `count` (its 下一页), not a new chapter.
    bool continues = false;
    QString firstTitle; // the raw <title> of the first page this chain saved, until...
    QString titleSuffix; // ...the site's suffix ("_山河剑客_笔趣阁") is learned from two pages
    QString author;      // "作者：…" as a chapter page said it; empty when none did
    // The chapters come from a contents page's list (章节列表.txt in the series folder), in
    // its order, not from next links.
    bool fromList = false;
};

// The options the user types when a chain starts, "秒数 章数 格式": "1 0 文本" or "0.5 30 html"
// give the pause, the most chapters (0 for no limit) and the format. No value when they do not
// parse.
std::optional<ChainState> parseChainOptions(const QString &text);

// The file's text: "key=value" lines, CR LF, closed by "end=1" so a cut file is known.
QString formatChainState(const ChainState &state);

// Reads a state file's text back; no value when it is cut, garbled, or lacks a valid count or
// (unless finished) the next address.
std::optional<ChainState> parseChainState(QStringView text);

// Writes the state file into `folder` atomically: the old state stays whole if the write fails.
bool writeChainState(const QString &folder, const ChainState &state, QString *error = nullptr);

// Reads the state file of `folder`; no value when it is missing or unusable.
std::optional<ChainState> readChainState(const QString &folder);

} // namespace serial
