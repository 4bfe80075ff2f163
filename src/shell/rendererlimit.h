#pragma once

#include <QByteArray>

// How many renderer processes the engine may run. Every tab starting a renderer of its own
// costs a process start (and, when the tab is discarded, an exit): in a batch of hundreds of
// pages on two cores that churn took a third of the renderers' processor time, and sharing
// past 16 renderers loaded 200 pages in 14 s instead of 19 s (bench/side_by_side.sh
// --renderer-limit). Up to the limit every tab still has a renderer of its own, so a crash
// in the tabs one works with takes only its own tab; past it, a crash takes the tabs that
// share its renderer, which show a notice and come back with 刷新网页.
namespace shell {

// Eight renderers a processor core, at least 16.
int rendererProcessLimit(int cores);

// The engine's flags with that limit added, unless they set a limit of their own.
QByteArray withRendererProcessLimit(const QByteArray &chromiumFlags, int cores);

// Sets QTWEBENGINE_CHROMIUM_FLAGS so; call before the application object exists.
void limitRendererProcesses();

} // namespace shell
