#pragma once

#include "commands/commandcontext.h"
#include "serial/chainstate.h"

#include <QString>

#include <optional>

namespace commands {

// Where and how a chain starting on a page saves: the folder and its state.
struct SeriesStart {
    QString folder;
    serial::ChainState state;
    bool resumes = false; // the folder's open chain goes on from its next page
};

// Asks the series' name (proposed from `pageTitle`) and the options, and settles the folder:
// an open chain there may be resumed; under the name of a series saved before, new chapters
// follow its last one (是) or go into a new folder "NAME (2)" (否). What was saved is never
// removed. The folder exists when a value comes back; none when the user cancels or the
// folder cannot be made. A new chain's state has no `next`: the caller's page is its first.
std::optional<SeriesStart> askSeriesStart(CommandContext &context, const QString &pageTitle);

// The same without a dialog, for scripts: the options are the dialog's defaults ("1 0 文本"), an
// open chain in the folder is not resumed, and new chapters follow those of a series saved
// before. No value, and `error` set, when the folder cannot be made.
std::optional<SeriesStart> seriesStartWithoutDialogs(const QString &savePath, const QString &name,
                                                     QString *error);

} // namespace commands
