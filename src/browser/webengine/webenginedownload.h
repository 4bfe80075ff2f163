#pragma once

#include "browser/browserview.h"

#include <QPointer>

class QWebEngineDownloadRequest;

namespace browser {

// A download of the engine, as the program sees it.
class WebEngineDownload : public Download {
    Q_OBJECT
public:
    explicit WebEngineDownload(QWebEngineDownloadRequest *request);

    QUrl url() const override;
    QString suggestedFileName() const override;
    bool isPageSave() const override;
    QString path() const override;
    void accept(const QString &path) override;
    void cancel() override;

private:
    QPointer<QWebEngineDownloadRequest> m_request;
};

} // namespace browser
