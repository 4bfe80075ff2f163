#pragma once

// The namespace is fulltext, not index: POSIX declares a global function index().

#include <QString>

namespace fulltext {

// What the index keeps of one saved file: its title and its text.
struct SavedDocument {
    bool ok = false; // false when the file could not be read
    QString kind;    // "htm" for .htm/.html, "txt" for .txt, "epub" and "pdf"; "chapter" for
                     // a page or text in a series' folder (beside the chain's state file)
    QString title;   // the HTML <title>, else the file name without its extension
    QString body;    // the text: HTML through the program's HTML-to-text rule
};

// Whether the index takes the file by its name: .htm, .html, .txt, .epub or .pdf, any letter case,
// but not the program's own lists (seen.txt, href.txt, email.txt, the favourites page link.htm, the
// help page) nor what a data folder keeps in its subfolders (templates, groups, the engine's
// profile, the index itself), when the save folder is the data folder.
// Example: true for "/d/北京天气.htm", false for "/d/href.txt" and for "/d/group/组1.txt" when
// "/d/link.htm" exists.
bool isIndexedFile(const QString &path);

// Reads a saved file by the program's reading rule (common::readTextFile; an HTML file's
// declared charset, else UTF-8 or GB18030) and turns it into title and text. Scripts and
// style sheets are left out of the text, link texts are kept. A file larger than
// common::kMaxTextFileBytes is not read.
// Example: "<title>天气</title><p>晴</p>" in a.htm gives title "天气", body holding "晴".
SavedDocument readSavedDocument(const QString &path);

// The text of an HTML page as the index takes it: <style> blocks cut, then
// text::deleteHtmlTag (scripts cut, links kept), character references decoded.
QString htmlBodyText(const QString &html);

// Whether an HTML page has a password field (an <input type=password>): such a page's text is
// not kept.
bool hasPasswordField(const QString &html);

// The <title> of an HTML page, references decoded and white space joined; empty when none.
QString htmlTitle(const QString &html);

} // namespace fulltext
