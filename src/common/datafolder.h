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
    // The engine's HTTP cache: the user's cache folder for an installed program; empty for a
    // portable copy or --data-dir, which keep it in the data folder's profile/.
    QString cacheFolder;
    bool portable = false;
    bool installed() const { return !cacheFolder.isEmpty(); }
};

// What the layout is decided from; the caller fills in the platform's answers.
struct FolderLayoutInput {
    QString executableFolder;
    QString dataDirOption; // --data-dir, empty when not given
    QString appDataLocation;
    QString documentsLocation;
    QString cacheLocation;
    QString workingFolder; // a relative --data-dir is taken from here
};

// The layout for a start of the program:
// - `--data-dir DIR`: data in DIR, which is also the default save folder;
// - else a file named `portable` beside the executable: data in the folder its first line
//   names (relative to the executable's folder), or in the executable's folder itself when the
//   file is empty; the data folder is also the default save folder;
// - else data in the application data location, saves in the documents folder and the cache
//   in the cache location.
FolderLayout decideFolderLayout(const FolderLayoutInput &input);

// Prepares the data folder: creates it (and inputtemplate/, group/ and the default save
// folder), open to its owner only, as the cache folder; an installed program's data folder
// that others may read is closed to them (a portable or --data-dir folder that was there
// already is left as the user made it). Then copies each shipped file the data folder lacks. The
// user's own files (link.htm, savetemplate/savetext.htm) are never replaced; the help pages, which
// are the program's and not the user's, follow the shipped copies when these change. Nothing
// happens to files when both folders are the same. Returns the problems met, one line each; an
// empty list when all went well.
QStringList prepareDataFolder(const FolderLayout &layout);

} // namespace common
