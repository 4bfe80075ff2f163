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

// A view on Qt WebEngine. Reads of the page run a script and answer in its callback, never in
// a local event loop; engine callbacks only record state or emit signals.
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
    void readPage(std::function<void(PageRead)> reply) override;
    void changeHtml(const QString &innerHtml, std::function<void(bool)> reply) override;
    void readArticleJson(std::function<void(QString)> reply) override;
    QString selectedText() override;
    QString selectionType() override;
    void readFocusedElementType(std::function<void(QString)> reply) override;
    void appendToFocusedElement(const QString &text, std::function<void(bool)> reply) override;
    void setValueByName(const QString &name, const QString &value,
                        std::function<void(bool)> reply) override;
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

    // Whether a download of `url` starting now was asked for: requested through download(),
    // or following the user's click or key press in the page (each covers one download).
    bool claimDownload(const QUrl &url);

    // Whether a navigation starting now follows the user's click or key press in the page.
    bool followsUserInput() const;

    // Called by the page from inside the engine.
    bool decideNavigation(const NavigationRequest &request);
    void reportFavouritesCommand(const QString &command);

    // The engine's widget, attached to the page from the start.
    QWebEngineView *engineView();
    QWebEnginePage *page();
    bool hasPage() const { return m_page != nullptr; }

signals:
    // The engine's page and widget were made (on the tab's first navigation).
    void pageCreated();

private:
    void ensurePage();
    // Runs a script in the page's isolated world and answers its value later: invalid when
    // the page does not answer within `timeoutMs`, a load starts, the renderer ends, or the
    // view goes away. A frozen page is woken first; a discarded one (or one whose renderer the
    // program let go) is loaded again and read once loaded.
    void runScript(const QString &script, std::function<void(QVariant)> reply,
                   int timeoutMs = 3000);
    // Runs a script that changes the page and answers true when it did.
    void runChange(const QString &resource, const QList<QPair<QString, QString>> &arguments,
                   std::function<void(bool)> reply);
    // True when the page must load again before it can be read or shown: it was discarded,
    // or its renderer ended after the program let the page go.
    bool needsReload() const;
    // Loads a page that needsReload() again; reloadedForReading tells when `forReading`.
    void revive();
    // The user (or the program for the user) put something into the page shown now.
    void noteUserInput();
    bool eventFilter(QObject *watched, QEvent *event) override;

    void showCrashNotice(bool shown);
    void showContextMenu(const QPoint &position);

    QWebEngineProfile *m_profile;
    double m_zoom = 1.0; // kept until there is a page
    QPointer<QWidget> m_container;
    QLabel *m_crashNotice = nullptr;
    QPointer<QWebEngineView> m_view;
    WebEnginePage *m_page = nullptr;
    bool m_loadRequested = false; // set by navigate() before the engine reports the load
    bool m_loading = false;
    bool m_rendererGone = false;
    bool m_discardAsked = false;     // the program let the page go since its last load
    bool m_letGo = false;            // its renderer ended after that: not a crash
    QSet<QUrl> m_requestedDownloads; // asked for through download(), not yet started
    QElapsedTimer m_sinceUserInput;  // a mouse press or key press in the page
    QUrl m_inputDocument;            // the document that holds input, without its fragment
    int m_reading = 0;               // reads under way
    QList<QPointer<QWebEngineDownloadRequest>> m_downloads;
};

} // namespace browser
