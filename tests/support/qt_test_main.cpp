// gtest main for tests that need a QApplication (widgets, the engine). Qt warnings fail
// the test that caused them, unless they are known noise of a display-less run.
#include "shell/closedchannels.h"

#include <QApplication>
#include <QByteArrayList>

#include <gtest/gtest.h>

namespace {

bool isKnownNoise(const QString &message) {
    static const char *const noise[] = {
        "This plugin does not support",       // offscreen platform
        "No suitable graphics backend found", // software rendering
        "Release of profile requested but",   // engine shutdown order
        "QStandardPaths: ",                   // XDG_RUNTIME_DIR set up by the test script
        "libva error",
        "OpenGL context creation failed", // offscreen: software rendering
    };
    for (const char *text : noise) {
        if (message.contains(QLatin1String(text)))
            return true;
    }
    return false;
}

void failOnWarnings(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtDebugMsg || type == QtInfoMsg || isKnownNoise(message))
        return;
    fprintf(stderr, "Qt: %s\n", qPrintable(message));
    ADD_FAILURE() << "Qt warning: " << message.toStdString();
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::closeUnfilteredChannels(); // as the program does
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    qInstallMessageHandler(failOnWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
