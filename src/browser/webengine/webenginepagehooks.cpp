#include "webenginepagehooks.h"

#include "webengineview.h"

#include "browser/pagedialogs.h"

#include <QAuthenticator>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>

namespace browser {

namespace {

QString certificateProblem(const QWebEngineCertificateError &error) {
    switch (error.type()) {
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
        return QStringLiteral("证书上的网站名称与这个网站不符。");
    case QWebEngineCertificateError::CertificateDateInvalid:
        return QStringLiteral("证书已过期或尚未生效。");
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return QStringLiteral("证书不是由受信任的机构颁发的。");
    case QWebEngineCertificateError::CertificateRevoked:
        return QStringLiteral("证书已被吊销。");
    default:
        return QStringLiteral("网站的证书有问题（错误代码 %1）。").arg(int(error.type()));
    }
}

} // namespace

WebEnginePageHooks::WebEnginePageHooks(WebEngineView *view, PageDialogs *dialogs)
    : QObject(view), m_view(view), m_dialogs(dialogs) {
    // The page is made on the tab's first navigation.
    if (view->hasPage())
        attach();
    else
        connect(view, &WebEngineView::pageCreated, this, &WebEnginePageHooks::attach,
                Qt::SingleShotConnection);
}

void WebEnginePageHooks::attach() {
    WebEngineView *view = m_view;
    QWebEnginePage *page = view->page();
    // The engine waits for the answer: the login dialog is shown inside the signal.
    connect(page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) {
                const std::optional<PageDialogs::Login> login =
                    m_dialogs ? m_dialogs->askLogin(url, authenticator->realm()) : std::nullopt;
                if (!login) {
                    *authenticator = QAuthenticator(); // refuses the login
                    return;
                }
                authenticator->setUser(login->user);
                authenticator->setPassword(login->password);
            });
    // The certificate question waits until the engine's callback has returned.
    connect(page, &QWebEnginePage::certificateError, this,
            [this](const QWebEngineCertificateError &error) {
                if (!m_dialogs || !error.isOverridable()) {
                    QWebEngineCertificateError(error).rejectCertificate();
                    return;
                }
                QWebEngineCertificateError deferred(error);
                deferred.defer();
                QTimer::singleShot(0, this, [this, deferred]() mutable {
                    if (m_dialogs->askCertificateException(deferred.url(),
                                                           certificateProblem(deferred)))
                        deferred.acceptCertificate();
                    else
                        deferred.rejectCertificate();
                });
            });
    connect(view, &BrowserView::pdfRequested, page,
            [page](const QString &path) { page->printToPdf(path); });
    connect(page, &QWebEnginePage::pdfPrintingFinished, view, &BrowserView::pdfPrinted);
}

void WebEnginePageHooks::preparePageSave(QWebEngineDownloadRequest *request,
                                         const QString &folder) {
    if (!request->isSavePageDownload() ||
        request->state() != QWebEngineDownloadRequest::DownloadRequested || folder.isEmpty())
        return;
    QString base = QFileInfo(request->downloadFileName()).completeBaseName().trimmed();
    if (base.isEmpty())
        base = QStringLiteral("网页");
    const QDir dir(folder);
    QString name = base + QStringLiteral(".mhtml");
    for (int n = 2; dir.exists(name); ++n)
        name = QStringLiteral("%1 (%2).mhtml").arg(base).arg(n);
    request->setDownloadDirectory(dir.absolutePath());
    request->setDownloadFileName(name);
    request->setSavePageFormat(QWebEngineDownloadRequest::MimeHtmlSaveFormat);
    request->accept();
}

} // namespace browser
