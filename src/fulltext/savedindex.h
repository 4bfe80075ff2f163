#pragma once

#include "savedsources.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Xapian {
class Document;
class Error;
} // namespace Xapian

namespace fulltext {

// What went wrong with the index, as far as the program acts on it.
struct IndexFault {
    enum Kind {
        None,
        Damaged, // a file of the index cannot be read as one (cut short, corrupt): make it anew
        NoSpace, // the disk is full: nothing is lost, try again when there is room
        Failed,  // anything else (rights, the disk): try again later
    };
    Kind kind = None;
    QString message; // Xapian's own words
    explicit operator bool() const { return kind != None; }
};

// Tells what `error`, met on the index in `folder`, means. A table file cut short (what a
// power cut can leave) reads as a plain DatabaseError without an errno ("EOF reading block
// N"): damage. An error whose disk has no room left is NoSpace, whatever Xapian calls it (after
// a failed write it closes the database, and every later call says only that).
// With an empty `folder` the free room is not looked at.
// Example: DatabaseCorruptError → Damaged; DatabaseError (ENOSPC) → NoSpace.
IndexFault faultOf(const Xapian::Error &error, const QString &folder);

// Where the index keeps a document's fields. Terms: "Q" + the file's id (the unique term),
// "S" + title words, "K" + kind, "H" + the source's host and parent domains, "D" + each folder
// name of its path (lower case), "P" + each folder path; unprefixed words of the title and the
// text. The document data is a small JSON object {path, title, kind, source, saved}.
enum IndexValue : unsigned {
    kMtimeValue = 0, // sortable seconds since 1970 of the file's last change
    kSizeValue = 1,  // sortable size in bytes
    kSavedValue = 2, // sortable seconds since 1970 when it was saved (seen.txt, else mtime)
    kPathValue = 3,  // the absolute path, UTF-8
    kFormValue = 4,  // which form of document this is (kDocumentForm): older ones are made anew
};
// Raised whenever a document gains terms or values, so that every file is indexed again once.
inline constexpr double kDocumentForm = 3;

// A page the user read (not saved): its text goes into the index as kind "read", found by its
// address. Its document keeps the text itself (there is no file to read it again from), at
// most kMaxReadTextBytes of it in UTF-8.
struct ReadPage {
    QString address;
    QString title;
    QString text;
    qint64 time = 0; // seconds since 1970
    // The page's markup, when the text is still to be made from it (off the window's thread).
    QString html = QString();
};
inline constexpr qsizetype kMaxReadTextBytes = 200 * 1024;
inline constexpr char kReadKind[] = "read";

// Xapian refuses terms longer than 245 bytes.
inline constexpr qsizetype kMaxTermBytes = 240;

// Text as the index keeps it: UTF-8.
std::string utf8(const QString &text);
// The absolute path without "." or ".." parts: how the index names a file.
QString cleanPath(const QString &path);

// The unique term of a page read at `address`.
std::string readIdTerm(const QString &address);

// The unique term of a file: "Q" and its clean absolute path, or a hash of it when the path
// is longer than a Xapian term may be.
std::string idTerm(const QString &path);

// The full-text index of the saved files, in a folder of its own (the data folder's index/).
// It can always be rebuilt from the files: a database that does not open as one (corrupt,
// half-made, of another version) is moved aside to "index.broken-<time>" and made anew.
// Only committed changes are ever seen, so a kill at any moment leaves the last commit.
// One writer at a time (Xapian's lock); a second one fails to open with the lock's message.
// No call throws: the first error is kept as fault() and every later call does nothing, so
// the owner closes the index and acts on the fault (moves it aside, waits for room).
class SavedIndex {
public:
    struct Stats {
        int added = 0;
        int changed = 0;
        int removed = 0;
        int unchanged = 0;
        int failed = 0; // files that could not be read
    };

    // Opens the index in `folder`, creating it when missing. Gives null and sets `error` when
    // it cannot be opened (locked, not writable). `movedAside` receives the folder a broken
    // database was moved to.
    static std::unique_ptr<SavedIndex> open(const QString &folder, QString *error,
                                            QString *movedAside = nullptr);

    // Indexes one file unless the index already holds it with the same size and mtime (or
    // always with `force`). A file that is gone or cannot be read is taken out. Not committed.
    // Returns whether the index changed.
    bool indexFile(const QString &path, const std::optional<SavedSource> &source = {},
                   bool force = false, Stats *stats = nullptr);
    // Takes a file out of the index. Not committed.
    bool removeFile(const QString &path);

    // Indexes a page read, unless the index holds the same address read on the same local day.
    // Returns whether the index changed. Not committed.
    bool indexReadPage(const ReadPage &page);
    // Takes pages read out of the index: those of `host` and its subdomains (every host when
    // empty), read at or after `since` (seconds; 0 for any time). Gives how many went, -1 on a
    // fault. Not committed.
    int removeReadPages(const QString &host, qint64 since);
    // Takes the page read at `address` out. Not committed.
    bool removeReadPage(const QString &address);

    // Brings the index in line with the .htm/.html/.txt files under `folders`: new and changed
    // (size or mtime) files are read, documents of files under those folders that are gone are
    // taken out (a moved file is both). Commits every `commitEvery` documents, so a kill loses
    // at most that much work, and at the end. The files are read and made into documents on
    // a second thread, a few ahead of the writing. `cancelled`, when given, is asked between
    // files.
    // Small batches are also faster with Chinese: every page brings thousands of character
    // pairs, and Xapian's buffer of changes slows down as it grows (10,000 pages of 30 KB: 26 ms
    // a page committing every 500, 20 ms every 50; bench/index_bench).
    // `progress`, when given, is told how many of the files found have been looked at, first
    // with none once they are counted. A scan that ran to its end is noted in the index with
    // its time (lastScanEnded).
    Stats updateFolders(const QStringList &folders, const QHash<QString, SavedSource> &sources,
                        const std::function<bool()> &cancelled = {}, int commitEvery = 50,
                        const std::function<void(int done, int total)> &progress = {});

    // Writes the changes made since the last commit. False on a fault.
    bool commit();
    // The first error met since the index was opened; None while all went well.
    const IndexFault &fault() const;

    // Writes the index in `folder` anew, packed (about half the size after a scan of many
    // pages), and puts it in place of the old one. The index must not be open for writing.
    // A kill at any moment leaves the old index or the new one, never neither: open() finishes
    // or undoes what was under way.
    static bool compact(const QString &folder, QString *error = nullptr);
    // Moves the index in `folder` aside to "index.broken-<time>", to be made anew; gives the
    // folder it went to, or an empty string when it could not be moved.
    static QString moveAside(const QString &folder);
    // Reads every block of the index in `folder`: false when a table is damaged.
    static bool isWhole(const QString &folder);
    int documentCount() const;
    int readPageCount() const; // of the documents, pages read
    // When the last scan that ran to its end ended, in seconds since 1970; 0 before the first.
    qint64 lastScanEnded() const;

    ~SavedIndex();

private:
    struct Private;
    explicit SavedIndex(std::unique_ptr<Private> d);
    // Puts `document` in the index under `id`, or takes the document of `id` out when there is
    // none (a file that cannot be read).
    void storeDocument(const std::string &id, const std::optional<Xapian::Document> &document);
    bool indexFileOrThrow(const QString &path, const std::optional<SavedSource> &source, bool force,
                          Stats *stats);
    void noteFault(const Xapian::Error &error);
    bool removeDocument(const std::string &id);

    std::unique_ptr<Private> d;
};

} // namespace fulltext
