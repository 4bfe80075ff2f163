#pragma once

#include "cliparser.h"

#include <QStringList>

// lumaro-cli's commands that live in files of their own.
namespace cli {

// book FOLDER --out NAME: a series folder made into NAME.txt and NAME.epub.
extern const CommandHelp kBookHelp;
int runBookCommand(const QStringList &arguments);

// bookmarks import|export --data-dir DIR FILE: bookmarks.html into and out of link.htm.
extern const CommandHelp kBookmarksHelp;
int runBookmarksCommand(const QStringList &arguments);

// index [--data-dir DIR] FOLDER...: the saved files under the folders into DIR's index.
extern const CommandHelp kIndexHelp;
int runIndexCommand(const QStringList &arguments);

// search [--data-dir DIR] [--limit N] QUERY...: the saved files the index finds, best first.
extern const CommandHelp kSearchHelp;
int runSearchCommand(const QStringList &arguments);

// history list|import --data-dir DIR ...: the pages visited, the last first; another
// browser's history brought in.
extern const CommandHelp kHistoryHelp;
int runHistoryCommand(const QStringList &arguments);

} // namespace cli
