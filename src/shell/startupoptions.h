#pragma once

#include "instanceserver.h"

#include "common/datafolder.h"
#include "common/programfolder.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace shell {

// What the command line of `lumaro` asks for:
//   lumaro [--data-dir DIR] [--command KEY] [--memory-budget MB] [URL|FILE...]
//   lumaro [--data-dir DIR] --serial-start URL --series NAME
//   lumaro [--data-dir DIR] --serial-update [SERIES]
//   lumaro --help | --version
struct StartupOptions {
    QString dataDir; // --data-dir, empty when not given
    // Each URL or FILE in the order given, --command KEY, and the serial options.
    InstanceRequest request;
    // --memory-budget in bytes: the memory above which background tabs are let go (0: never);
    // unset for the machine's default.
    std::optional<qint64> memoryBudgetBytes;
    // Set when the program ends at once (--help, --version, a wrong option), with what to
    // print: on standard output for status 0, on standard error otherwise.
    std::optional<int> exitStatus;
    QString message;

    // `arguments` starts with the program's name. Files are taken from `workingFolder` when
    // they exist there; anything else is read the way the address box reads it. Example:
    // {"lumaro", "a.htm", "example.com"} gives file:///<workingFolder>/a.htm (when it exists)
    // and http://example.com.
    static StartupOptions parse(const QStringList &arguments, const QString &workingFolder);

    // Parses the process's own command line (before the application object exists) and
    // prints the message when there is one.
    static StartupOptions fromCommandLine(int argc, char *argv[]);

    // Where the data folder and the shipped pages are, for this start (needs the application
    // object for the platform's folders).
    common::FolderLayout folderLayout() const;
    // The data folder of `layout`, made ready (datafolder.h); problems are said on standard
    // error and start-up goes on.
    static common::ProgramFolder prepareProgramFolder(const common::FolderLayout &layout);
};

// Running as root, the engine refuses to start with its sandbox on: turns it off (the
// --no-sandbox switch) and says so once on standard error. Any other user keeps the sandbox.
// Call before the application object is made. Returns whether it turned the sandbox off.
bool turnOffSandboxForRoot();

// A start from a terminal prints nothing of the engine's own (its start-up report, the pages'
// console) unless QT_LOGGING_RULES asks for it.
void quietEngineLogging();

} // namespace shell
