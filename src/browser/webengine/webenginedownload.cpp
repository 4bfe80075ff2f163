#include "webenginedownload.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineDownloadRequest>

namespace browser {

WebEngineDownload::WebEngineDownload(QWebEngineDownloadRequest *request, bool userRequested)
    : Download(request), m_request(request), m_userRequested(userRequested) {
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this] { emit progress(m_request->receivedBytes(), m_request->totalBytes()); });
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this, [this] {
        const bool ok = m_request->state() == QWebEngineDownloadRequest::DownloadCompleted;
        emit finished(ok, ok ? QString() : m_request->interruptReasonString());
    });
}

QUrl WebEngineDownload::url() const {
    return m_request ? m_request->url() : QUrl();
}

QString WebEngineDownload::suggestedFileName() const {
    return m_request ? m_request->suggestedFileName() : QString();
}

bool WebEngineDownload::isPageSave() const {
    return m_request && m_request->isSavePageDownload();
}

qint64 WebEngineDownload::totalBytes() const {
    return m_request ? m_request->totalBytes() : -1;
}

QString WebEngineDownload::path() const {
    return m_request ? QDir(m_request->downloadDirectory()).filePath(m_request->downloadFileName())
                     : QString();
}

void WebEngineDownload::accept(const QString &path) {
    if (!m_request)
        return;
    const QFileInfo file(path);
    m_request->setDownloadDirectory(file.absolutePath());
    m_request->setDownloadFileName(file.fileName());
    m_request->accept();
}

void WebEngineDownload::cancel() {
    if (m_request)
        m_request->cancel();
}

} // namespace browser
