#include "programpages.h"

#include "common/urlrules.h"

#include <QBuffer>
#include <QPointer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace browser {

namespace {

// The engine learns of a scheme only before the application object exists: this runs while
// the program loads, before main().
const bool kSchemeRegistered = [] {
    QWebEngineUrlScheme scheme(common::kProgramScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
    return true;
}();

// Only the program (no initiator) and its own pages may load them; saved files and the web
// may not, whatever the engine's flags let through.
bool mayAsk(const QUrl &initiator) {
    return initiator.isEmpty() || initiator.scheme() == QLatin1String(common::kProgramScheme);
}

} // namespace

ProgramPagesHandler::ProgramPagesHandler(const ViewFactory::ProgramPageSource &source,
                                         QObject *parent)
    : QWebEngineUrlSchemeHandler(parent), m_source(source) {
    Q_UNUSED(kSchemeRegistered);
}

void ProgramPagesHandler::requestStarted(QWebEngineUrlRequestJob *job) {
    if (job->requestMethod() != "GET" || !mayAsk(job->initiator())) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    if (!m_source) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    QPointer<QWebEngineUrlRequestJob> waiting(job);
    m_source(job->requestUrl(), [waiting](const QString &html) {
        if (!waiting) // the load was stopped or the tab closed meanwhile
            return;
        if (html.isEmpty()) {
            waiting->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto *body = new QBuffer;
        body->setData(html.toUtf8());
        body->open(QIODevice::ReadOnly);
        QObject::connect(waiting, &QObject::destroyed, body, &QObject::deleteLater);
        waiting->reply("text/html", body);
    });
}

} // namespace browser
