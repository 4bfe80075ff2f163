// Lumaro浏览器 V2.0: the application object, the program folder and the main window.
#include "browser/webengine/webengineviewfactory.h"
#include "common/programfolder.h"
#include "shell/chinese.h"
#include "shell/mainwindow.h"
#include "shell/renderingpath.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    // No cap on renderer processes: every tab gets a renderer of its own (up to the engine's
    // own ceiling, set from the machine's memory), so a page that crashes or runs out of
    // memory takes only its own tab with it. It costs about 5 MB a tab (bench/browser_bench.sh).
    shell::applyRenderingPath(shell::chooseRenderingPath(shell::currentRenderingFacts(argc, argv)));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumaro"));
    shell::useChinese(app);

    const common::ProgramFolder folder(QCoreApplication::applicationDirPath());
    browser::WebEngineViewFactory factory(folder.filePath(QStringLiteral("profile")));
    int status = 0;
    {
        shell::MainWindow window(folder, factory);
        window.show();
        status = app.exec();
    }
    return status;
}
