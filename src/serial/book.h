#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// A serial made into one book: its chapters read back from a series folder, and the book's
// plain-text form.
namespace serial {

struct BookChapter {
    int number = 0;
    QString title;
    QString text; // the chapter's text without its title line, LF line ends
    QUrl address; // where it came from (empty when the index does not say)
};

struct Book {
    QString title;
    QString author; // empty when no page named one
    QUrl source;    // the first chapter's address
    QList<BookChapter> chapters;
};

// Reads the chapter files "NNNN title.txt" (and .htm/.html, turned into text) of a series folder
// in number order, with the reading rule of common::readTextFile. 目录.txt gives the chapters'
// addresses and their titles as the pages had them; the state file the book's title, else the
// folder's name. Titles lose the end all of them share from a separator on (a site's name).
// The author is the one the chain found on the pages, else the one chapter 1 names
// ("作者：…"). No value, and `error` set, when the folder does not exist or holds no chapter
// file.
std::optional<Book> readSeriesFolder(const QString &folder, QString *error = nullptr);

// The book as text: the title, a contents list, then each chapter under its title. CR LF.
QString bookText(const Book &book);

// Writes `path` + ".txt" (GB18030) and `path` + ".epub". Returns false and sets `error` when
// either cannot be written.
bool writeBook(const Book &book, const QString &path, QString *error = nullptr);

} // namespace serial
