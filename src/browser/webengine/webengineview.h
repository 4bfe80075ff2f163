#pragma once

#include "browser/browserview.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSet>
#include <QWebEngineView>

class QLabel;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace browser {

class WebEnginePage;

// A view on Qt WebEngine. Every read that the engine answers asynchronously goes through
// ScriptRunner; engine callbacks only record state or emit signals.
class WebEngineView : public BrowserView {
    Q_OBJECT
public:
    WebEngineView(QWebEngineProfile *profile, QObject *parent = nullptr);
    ~WebEngineView() override;

    QWidget *widget() override;
    void navigate(const QUrl &url) override;
    void stop() override;
    void goBack() override;
    void goForward() override;
    void goHome() override;
    void reload() override;
    QUrl url() const override;
    QString title() const override;
    bool isBusy() const override;
    std::optional<QString> html() override;
    QString characterSet() override;
    bool setHtml(const QString &innerHtml) override;
    QString articleJson() override;
    QString selectedText() override;
    QString selectionType() override;
    QString focusedElementType() override;
    bool appendToFocusedElement(const QString &text) override;
    bool setValueByName(const QString &name, const QString &value) override;
    void savePageAs(const QString &path) override;
    void download(const QUrl &url) override;
    void watchFavouritesButtons() override;
    void findText(const QString &text, bool backward) override;
    double zoomFactor() const override;
    void setZoomFactor(double factor) override;
    LifeState lifeState() const override;
    void setLifeState(LifeState state) override;
    bool holdsUserInput() const override;
    bool mustStayActive() const override;

    // A download this page started: the page stays active until it has ended.
    void trackDownload(QWebEngineDownloadRequest *request);

    // Whether a download starting now is one the user asked for: a click or a key in the
    // page in the last few seconds (a link, the context menu's save entries). Each click
    // answers for one download only.
    // Whether a download of `url` starting now was asked for: requested through download(),
    // or following the user's click or key press in the page (each covers one download).
    bool claimDownload(const QUrl &url);

    // Called by the page from inside the engine.
    bool decideNavigation(const NavigationRequest &request);
    void reportFavouritesCommand(const QString &command);

    // The engine's widget, attached to the page from the start.
    QWebEngineView *engineView();
    QWebEnginePage *page() const;

private:
    QVariant runScript(const QString &script);
    // Runs a script that changes the page and answers true when it did.
    bool runChange(const QString &resource, const QList<QPair<QString, QString>> &arguments);
    // Brings a frozen or discarded page back before a read; a discarded one is loaded again
    // and waited for.
    void wakeForReading();
    // The user (or the program for the user) put something into the page shown now.
    void noteUserInput();
    bool eventFilter(QObject *watched, QEvent *event) override;

    void showCrashNotice(bool shown);
    void showContextMenu(const QPoint &position);

    QPointer<QWidget> m_container;
    QLabel *m_crashNotice = nullptr;
    QPointer<QWebEngineView> m_view;
    WebEnginePage *m_page = nullptr;
    bool m_loadRequested = false; // set by navigate() before the engine reports the load
    bool m_loading = false;
    bool m_rendererGone = false;
    QSet<QUrl> m_requestedDownloads; // asked for through download(), not yet started
    QElapsedTimer m_sinceUserInput;  // a mouse press or key press in the page
    QUrl m_inputDocument;            // the document that holds input, without its fragment
    int m_reading = 0;               // reads under way (they wait in event loops)
    QList<QPointer<QWebEngineDownloadRequest>> m_downloads;
};

} // namespace browser
