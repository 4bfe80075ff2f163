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

private:
    QPointer<QWebEngineDownloadRequest> m_request;
    bool m_userRequested;
};

} // namespace browser
