// Lumaro浏览器 V2.0: the application object, the program folder and the main window.
#include "browser/webengine/webengineviewfactory.h"
#include "common/programfolder.h"
#include "shell/chinese.h"
#include "shell/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    // Four shared renderers keep fifty tabs well under 400 MB (see bench/browser_bench.sh).
    browser::WebEngineViewFactory::limitRendererProcesses(4);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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
