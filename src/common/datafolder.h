#pragma once

#include <QString>
#include <QStringList>

namespace common {

// Where the program's files are, as decided at start-up. Two folders are kept apart:
// - `shipped`: the pages that come with the program (link.htm, the help pages, the capture
//   template), read-only: the executable's own folder when it holds them (a portable copy, the
//   build's staged folder), otherwise the installed `share/lumaro` beside `bin/`.
// - `data`: everything the program writes and the user edits (link.htm, savepath.ini,
//   inputtemplate/, group/, href.txt, email.txt, the profile, ...).
struct FolderLayout {
    QString shipped;
    QString data;
    QString defaultSaveFolder; // the save folder when savepath.ini names none
    bool portable = false;
};

// What the layout is decided from; the caller fills in the platform's answers.
struct FolderLayoutInput {
    QString executableFolder;
    QString dataDirOption; // --data-dir, empty when not given
    QString appDataLocation;
    QString documentsLocation;
    QString workingFolder; // a relative --data-dir is taken from here
};

// The layout for a start of the program:
// - `--data-dir DIR`: data in DIR, which is also the default save folder;
// - else a file named `portable` beside the executable: data in the folder its first line
//   names (relative to the executable's folder), or in the executable's folder itself when the
//   file is empty; the data folder is also the default save folder;
// - else data in the application data location and saves in the documents folder.
FolderLayout decideFolderLayout(const FolderLayoutInput &input);

// Prepares the data folder: creates it (and inputtemplate/, group/ and the default save
// folder), then copies each shipped file the data folder lacks. The user's own files
// (link.htm, savetemplate/savetext.htm) are never replaced; the help pages, which are the
// program's and not the user's, follow the shipped copies when these change. Nothing happens
// to files when both folders are the same. Returns the problems met, one line each; an empty
// list when all went well.
QStringList prepareDataFolder(const FolderLayout &layout);

} // namespace common
