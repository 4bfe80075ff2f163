#pragma once

#include "serial/chapterfiles.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

namespace commands {

// The chapter files and the index 目录.txt of one series folder as a chain writes them: a
// chapter is opened with its first page and grows by the pages that continue it; what was saved
// before the chain began is never touched.
class ChapterStore {
public:
    // The number of the last chapter saved in `folder` (by its index or its chapter files);
    // 0 for a folder with no chapter.
    static int lastSavedNumber(const QString &folder);

    // Takes up `folder` with `count` chapters saved; index lines past `count` (written by a chain
    // killed before it noted them) are dropped. With `continuing`, chapter `count` stays open
    // for its next page and its saved text is read back.
    void open(const QString &folder, int count, bool continuing, bool asHtml);

    // Saves a new chapter's first page (text or the page's HTML) and its index line.
    bool startChapter(int number, const QString &title, const QUrl &address, const QString &body,
                      QString *error);
    // Adds a page to the chapter opened last, rewriting its file.
    bool addPage(const QString &body, QString *error);
    bool hasOpenChapter() const { return m_number > 0; }
    // Gives chapter `number`, saved by this chain, another title: its file name, its first line and
    // its index line.
    bool retitle(int number, const QString &title, QString *error);
    QString titleOf(int number) const;

    const QSet<QString> &seen() const { return m_seen; }
    void see(const QUrl &url);

private:
    QString fileName(int number, const QString &title) const;
    bool writeChapter(QString *error);
    bool writeIndex(QString *error);

    QString m_folder;
    bool m_asHtml = false;
    QList<serial::IndexEntry> m_index; // the index's entries up to the chain's start
    QString m_head;                    // their lines as they stand in the file, kept verbatim
    QList<serial::IndexEntry> m_added; // the chapters this chain saved
    QSet<QString> m_seen;
    int m_number = 0; // the chapter open for more pages; 0 for none
    QString m_title;
    QString m_body;
};

// The chapter's text: Readability's article when the page has one, else the whole page; blank
// lines, the page's headings and the site's clutter lines (serial::isClutterLine) left out.
QString chapterText(const QString &articleJson, const QString &innerHtml);

} // namespace commands
