#include "renderingpath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace shell {

RenderingPath chooseRenderingPath(const RenderingFacts &facts) {
    if (!facts.quickBackend.isEmpty())
        return facts.quickBackend == "software" ? RenderingPath::Software : RenderingPath::OpenGl;
    const QString disableGpu = QStringLiteral("--disable-gpu");
    if (facts.arguments.contains(disableGpu) ||
        facts.chromiumFlags.split(' ').contains("--disable-gpu"))
        return RenderingPath::Software;
    return facts.hasRenderDevice ? RenderingPath::OpenGl : RenderingPath::Software;
}

RenderingFacts currentRenderingFacts(int argc, char *argv[]) {
    RenderingFacts facts;
    facts.quickBackend = qgetenv("QT_QUICK_BACKEND");
    facts.chromiumFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (int i = 1; i < argc; ++i)
        facts.arguments << QString::fromLocal8Bit(argv[i]);
    const QDir dri(QStringLiteral("/dev/dri"));
    for (const QFileInfo &node :
         dri.entryInfoList({QStringLiteral("renderD*")}, QDir::System | QDir::Files)) {
        if (node.isReadable() && node.isWritable()) {
            facts.hasRenderDevice = true;
            break;
        }
    }
    return facts;
}

void applyRenderingPath(RenderingPath path) {
    if (path == RenderingPath::OpenGl) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
}

} // namespace shell
