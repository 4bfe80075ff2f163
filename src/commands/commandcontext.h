#pragma once

#include "browser/tabhost.h"
#include "commands/batchprogress.h"
#include "commands/clipboard.h"
#include "commands/dialogs.h"
#include "commands/statuspanels.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace commands {

class CommandRunner;

// What the commands of the program reach the world through: the tabs and their pages, the
// user (dialogs), the clipboard, the status bar, and the default save folder. The main
// window provides the real ones; tests put fakes in.
struct CommandContext {
    browser::TabHost &tabs;
    Dialogs &dialogs;
    Clipboard &clipboard;
    StatusPanels &panels;
    std::function<QString()> savePath;
    BatchProgress *progress = nullptr; // none: batches run without a bar
    CommandRunner *runner = nullptr;   // none: steps of their own start at once
    // Told of every page saved into the save folder (its address, the file's name).
    std::function<void(const QUrl &, const QString &)> noteSaved = nullptr;
    // Told of every text file a command wrote into the save folder (its full path).
    std::function<void(const QString &)> noteWritten = nullptr;
    // Where each site's rules for serials are kept (serial-sites/ in the data folder); none:
    // no rules are read or learned.
    QString siteRulesFolder = QString();
};

} // namespace commands
