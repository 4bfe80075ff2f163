#pragma once

#include "browser/browserview.h"

#include <QPointer>
#include <QWebEngineView>

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
    QString html() override;
    bool setHtml(const QString &innerHtml) override;
    QString articleJson() override;
    QString selectedText() override;
    QString selectionType() override;
    QString focusedElementType() override;
    bool appendToFocusedElement(const QString &text) override;
    bool setValueByName(const QString &name, const QString &value) override;
    void savePageAs(const QString &path) override;
    void watchFavouritesButtons() override;
    void findText(const QString &text, bool backward) override;
    double zoomFactor() const override;
    void setZoomFactor(double factor) override;

    // Called by the page from inside the engine.
    bool decideNavigation(const NavigationRequest &request);
    void reportFavouritesCommand(const QString &command);

    // The engine's widget; made when the view is first shown (see the constructor).
    QWebEngineView *engineView();
    QWebEnginePage *page() const;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    QVariant runScript(const QString &script);

    void showCrashNotice(bool shown);
    void showContextMenu(const QPoint &position);

    QPointer<QWidget> m_container;
    QWidget *m_crashNotice = nullptr;
    QPointer<QWebEngineView> m_view;
    WebEnginePage *m_page = nullptr;
    bool m_loadRequested = false; // set by navigate() before the engine reports the load
    bool m_loading = false;
    bool m_rendererGone = false;
};

} // namespace browser
