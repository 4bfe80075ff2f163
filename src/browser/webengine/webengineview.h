#pragma once

#include "browser/browserview.h"

#include <QPointer>
#include <QWebEngineView>

class QLabel;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace browser {

class InputWatch;
class PageLife;
class ScriptRunner;
class WebEnginePage;

// A view on Qt WebEngine: its widget, navigation and the engine's signals. How much of the
// page runs is PageLife's, what the user does in it InputWatch's, and reads and changes run
// through ScriptRunner, answering in their callbacks, never in a local event loop. Engine
// callbacks only record state or emit signals.
class WebEngineView : public BrowserView {
    Q_OBJECT
public:
    WebEngineView(QWebEngineProfile *profile, QObject *parent = nullptr);
    ~WebEngineView() override;

    QWidget *widget() override;
    void navigate(const QUrl &url) override;
    void navigateFresh(const QUrl &url) override;
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
    void savePageAs(const QString &path, SaveFormat format) override;
    void readWholePage(std::function<void(QString)> reply) override;
    void fetchResource(const QUrl &url,
                       std::function<void(saving::FetchedResource)> reply) override;
    void download(const QUrl &url) override;
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

    // The engine's widget and page, made together when first needed (see ensurePage()).
    QWebEngineView *engineView();
    QWebEnginePage *page();
    bool hasPage() const { return m_page != nullptr; }

signals:
    // The engine's page and widget were made (on the tab's first navigation).
    void pageCreated();

private:
    void ensurePage();
    // Runs a script that changes the page and answers true when it did.
    void runChange(const QString &resource, const QList<QPair<QString, QString>> &arguments,
                   std::function<void(bool)> reply);
    void showCrashNotice(bool shown);
    // One step of the scroll through lazy pictures before a whole-page read; then the read.
    void bringInLazyPictures(QObject *read);
    void showContextMenu(const QPoint &position);

    QWebEngineProfile *m_profile;
    double m_zoom = 1.0; // kept until there is a page
    QPointer<QWidget> m_container;
    QLabel *m_crashNotice = nullptr;
    QPointer<QWebEngineView> m_view;
    WebEnginePage *m_page = nullptr;
    PageLife *m_life = nullptr;
    InputWatch *m_input = nullptr;
    ScriptRunner *m_scripts = nullptr;
    bool m_loadRequested = false; // set by navigate() before the engine reports the load
    bool m_loading = false;
};

} // namespace browser
