#pragma once

#include <QByteArray>
#include <QStringList>

// How the window and the pages are painted. Without a usable GPU, the shared OpenGL context
// loads Mesa's software rasteriser and its shader compiler first thing: about half of the
// start-up time and 100 MB of memory, for nothing a software scene graph cannot draw as well.
namespace shell {

enum class RenderingPath {
    OpenGl,   // a GPU device is there: keep the shared OpenGL context
    Software, // Qt Quick's software scene graph, no shared OpenGL context
};

struct RenderingFacts {
    QByteArray quickBackend;      // QT_QUICK_BACKEND as the user set it ("" when unset)
    QByteArray chromiumFlags;     // QTWEBENGINE_CHROMIUM_FLAGS
    QStringList arguments;        // the program's command line
    bool hasRenderDevice = false; // a DRM render node (/dev/dri/renderD*) the user may open
};

// The path for these facts. The user's own QT_QUICK_BACKEND wins; "--disable-gpu" on the
// command line or in the engine's flags means software; otherwise a render device means OpenGL.
// Example: no QT_QUICK_BACKEND, no flags, no /dev/dri → Software.
RenderingPath chooseRenderingPath(const RenderingFacts &facts);

// The facts of this machine and process.
RenderingFacts currentRenderingFacts(int argc, char *argv[]);

// Sets the process up for `path`; call before the application object exists.
void applyRenderingPath(RenderingPath path);

} // namespace shell
