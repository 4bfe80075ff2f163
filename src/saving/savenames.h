#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

// The name every save gives its file (without the extension, before it is fitted to the file
// system), decided from plain values read off the page: one rule per kind of save.
namespace saving {

enum class SaveKind {
    Page,        // onlysave: the selection, else the title (after the user agreed), else dated
    PageInBatch, // saveallw: a text selection, else the title, else "No" + the view number
    Text,        // onlysavetext: the selection, else the title, else dated
    TextInBatch, // saveallwtext: the tab's selection, else the batch's name + the view number
    Selection,   // saveselecttext: the selection's first ten characters, else the title, else dated
    WholePage,   // savepage: the title, else dated
    Pdf,         // printpdf: the title, else "网页"
};

struct NameSources {
    SaveKind kind = SaveKind::Page;
    QString selection;           // the selected text, "" when nothing is selected
    bool selectionIsText = true; // false for a selection inside a form control
    QString title;               // as the engine shows it (the address for untitled pages)
    QUrl url;
    int viewNumber = 0; // the tab's view number (the batches)
    QString batchName;  // TextInBatch: the cleaned selection of the tab shown first
    QDateTime when;     // for the dated names
};

// The file name, without its extension, for `sources.kind`; never empty: a name that cleans to
// nothing falls back as its kind says. Example: a PageInBatch of the page titled "新闻" with
// nothing selected is "新闻"; of an untitled page in view 7, "No7".
QString saveName(const NameSources &sources);

} // namespace saving
