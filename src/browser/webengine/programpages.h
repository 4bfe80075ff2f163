#pragma once

#include "browser/browserview.h"

#include <QWebEngineUrlSchemeHandler>

namespace browser {

// Serves the program's own pages ("lumaro:searchsaved?q=...") to the engine from a
// ViewFactory::ProgramPageSource. The scheme is local: pages from the web can neither load
// nor open it, and its pages may open saved files (file:).
class ProgramPagesHandler : public QWebEngineUrlSchemeHandler {
public:
    // `source` is read at each request, so it may be set after the handler is installed.
    ProgramPagesHandler(const ViewFactory::ProgramPageSource &source, QObject *parent);
    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    const ViewFactory::ProgramPageSource &m_source;
};

} // namespace browser
