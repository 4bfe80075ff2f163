// Lumaro浏览器 V2.0: the application object, the data folder and the main window.
#include "browser/webengine/webengineviewfactory.h"
#include "shell/instanceserver.h"
#include "shell/mainwindow.h"
#include "shell/startupoptions.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    const shell::StartupOptions options = shell::StartupOptions::fromCommandLine(argc, argv);
    if (options.exitStatus)
        return *options.exitStatus; // --help, --version, a wrong option
    shell::turnOffSandboxForRoot();
    // Four shared renderers keep fifty tabs well under 400 MB (see bench/browser_bench.sh).
    browser::WebEngineViewFactory::limitRendererProcesses(4);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumaro"));

    const common::ProgramFolder folder = options.prepareProgramFolder();
    shell::InstanceServer instance(shell::InstanceServer::socketNameFor(folder.path()));
    if (const std::optional<int> status = instance.handOver(options.request))
        return *status; // a window already runs on this data folder
    browser::WebEngineViewFactory factory(folder.filePath(QStringLiteral("profile")));
    int status = 0;
    {
        shell::MainWindow window(folder, factory);
        instance.serve(window, options.request);
        window.show();
        status = app.exec();
    }
    return status;
}
