// Lumaro浏览器 V2.0: the application object, the data folder and the main window.
#include "browser/webengine/webengineviewfactory.h"
#include "shell/chinese.h"
#include "shell/closedchannels.h"
#include "shell/colourscheme.h"
#include "shell/instanceserver.h"
#include "shell/mainwindow.h"
#include "shell/rendererlimit.h"
#include "shell/renderingpath.h"
#include "shell/startupoptions.h"
#include "shell/startuptrace.h"
#include "shell/tabmanager.h"
#include "shell/tabmemory.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    shell::startup::mark("main");
    shell::quietEngineLogging();
    const shell::StartupOptions options = shell::StartupOptions::fromCommandLine(argc, argv);
    if (options.exitStatus)
        return *options.exitStatus; // --help, --version, a wrong option
    shell::turnOffSandboxForRoot();
    // Every tab has a renderer of its own up to a limit set from the processor cores, and
    // tabs share renderers past it (see rendererlimit.h).
    shell::limitRendererProcesses();
    shell::closeUnfilteredChannels(); // no WebRTC UDP or QUIC past the request filter
    shell::applyRenderingPath(shell::chooseRenderingPath(shell::currentRenderingFacts(argc, argv)));
    shell::prepareChineseSystemLocale();
    QApplication app(argc, argv);
    shell::startup::mark("application");
    QApplication::setApplicationName(QStringLiteral("Lumaro"));
    // The desktop entry's name, which Wayland matches the window with.
    QGuiApplication::setDesktopFileName(QStringLiteral("invalid.lumaro.Lumaro"));
    shell::useChinese(app);
    shell::followDesktopColourScheme();

    const common::FolderLayout layout = options.folderLayout();
    const common::ProgramFolder folder = shell::StartupOptions::prepareProgramFolder(layout);
    shell::InstanceServer instance(shell::InstanceServer::socketNameFor(folder.path()));
    if (const std::optional<int> status = instance.handOver(options.request))
        return *status; // a window already runs on this data folder
    shell::startup::mark("data folder and instance check");
    browser::WebEngineViewFactory factory(folder.filePath(QStringLiteral("profile")),
                                          layout.cacheFolder);
    int status = 0;
    {
        shell::MainWindow window(folder, factory);
        shell::startup::mark("window made, first page asked for");
        if (options.memoryBudgetBytes) {
            browser::RestRules rules = window.tabMemory().rules();
            rules.budgetBytes = *options.memoryBudgetBytes;
            window.tabMemory().setRules(rules);
        }
        window.startHistory(); // its database opens on its own thread, at the first visit
        window.startIndexingAfterFirstPage();
        instance.serve(window, options.request);
        window.show();
        shell::startup::mark("window shown");
        shell::startup::followFirstPages(window.tabs());
        status = app.exec();
    }
    return status;
}
