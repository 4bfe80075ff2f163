#pragma once

#include "browser/browserview.h"

#include <QPointer>

class QWebEngineDownloadRequest;

namespace browser {

// A download of the engine, as the program sees it.
class WebEngineDownload : public Download {
    Q_OBJECT
public:
    WebEngineDownload(QWebEngineDownloadRequest *request, bool userRequested);

    QUrl url() const override;
    QString suggestedFileName() const override;
    bool isPageSave() const override;
    qint64 totalBytes() const override;
    bool isUserRequested() const override { return m_userRequested; }
    QString path() const override;
    void accept(const QString &path) override;
    void cancel() override;
    bool canResume() const override;
    void resume() override;
    bool isPaused() const override;
    void pause() override;
    // The engine's new request for this same download (its retry after a dropped connection):
    // accepted into the same file, followed from now on.
    void takeOver(QWebEngineDownloadRequest *request);
    bool isAccepted() const { return m_accepted; }

private:
    void follow(QWebEngineDownloadRequest *request);
    QString reason() const;

    QPointer<QWebEngineDownloadRequest> m_request;
    bool m_userRequested;
    bool m_interrupted = false;
    bool m_accepted = false;
};

} // namespace browser
