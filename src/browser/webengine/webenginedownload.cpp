#include "webenginedownload.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineDownloadRequest>

namespace browser {

WebEngineDownload::WebEngineDownload(QWebEngineDownloadRequest *request, bool userRequested)
    : Download(request), m_request(request), m_userRequested(userRequested) {
    follow(request);
}

void WebEngineDownload::takeOver(QWebEngineDownloadRequest *request) {
    const QString directory = m_request ? m_request->downloadDirectory() : QString();
    const QString name = m_request ? m_request->downloadFileName() : QString();
    if (m_request)
        m_request->disconnect(this);
    m_request = request;
    follow(request);
    if (!directory.isEmpty())
        request->setDownloadDirectory(directory);
    if (!name.isEmpty())
        request->setDownloadFileName(name);
    request->accept();
}

void WebEngineDownload::follow(QWebEngineDownloadRequest *request) {
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this] { emit progress(m_request->receivedBytes(), m_request->totalBytes()); });
    // A dropped connection leaves the download interrupted but not finished: it can be resumed.
    connect(request, &QWebEngineDownloadRequest::stateChanged, this,
            [this](QWebEngineDownloadRequest::DownloadState state) {
                if (state == QWebEngineDownloadRequest::DownloadInterrupted && !m_interrupted) {
                    m_interrupted = true;
                    emit interrupted(reason());
                } else if (state == QWebEngineDownloadRequest::DownloadInProgress &&
                           m_interrupted) {
                    m_interrupted = false;
                    emit resumed();
                }
            });
    connect(request, &QWebEngineDownloadRequest::isPausedChanged, this,
            [this] { emit pausedChanged(m_request->isPaused()); });
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this, [this] {
        if (!m_request->isFinished())
            return;
        const auto state = m_request->state();
        const bool ok = state == QWebEngineDownloadRequest::DownloadCompleted;
        emit finished(ok, ok ? QString()
                          : state == QWebEngineDownloadRequest::DownloadCancelled
                              ? QStringLiteral("已取消")
                              : reason());
    });
}

QString WebEngineDownload::reason() const {
    using R = QWebEngineDownloadRequest;
    switch (m_request->interruptReason()) {
    case R::NetworkFailed:
    case R::NetworkTimeout:
    case R::NetworkDisconnected:
        return QStringLiteral("网络连接中断");
    case R::NetworkServerDown:
    case R::ServerFailed:
        return QStringLiteral("服务器没有回应");
    case R::FileNoSpace:
        return QStringLiteral("磁盘已满");
    case R::FileAccessDenied:
        return QStringLiteral("无权写入");
    default:
        return m_request->interruptReasonString();
    }
}

bool WebEngineDownload::canResume() const {
    return m_request && m_request->state() == QWebEngineDownloadRequest::DownloadInterrupted &&
           !m_request->isFinished();
}

void WebEngineDownload::resume() {
    if (canResume() || isPaused())
        m_request->resume();
}

bool WebEngineDownload::isPaused() const {
    return m_request && m_request->isPaused();
}

void WebEngineDownload::pause() {
    if (m_request && !m_request->isFinished())
        m_request->pause();
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
    m_accepted = true;
}

void WebEngineDownload::cancel() {
    if (m_request)
        m_request->cancel();
}

} // namespace browser
