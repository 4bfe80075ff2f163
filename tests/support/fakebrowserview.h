#pragma once

#include "browser/browserview.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace testing_support {

// A view with scripted page values that records what the program asked of it.
class FakeBrowserView : public browser::BrowserView {
    Q_OBJECT
public:
    using BrowserView::BrowserView;
    // The widget may already be gone with the tab strip that held it.
    ~FakeBrowserView() override { delete m_widget; }

    QWidget *widget() override { return m_widget; }
    void navigate(const QUrl &url) override {
        navigations.append(url);
        pageUrl = url;
    }
    void stop() override { busy = false; }
    void goBack() override { ++backCount; }
    void goForward() override { ++forwardCount; }
    void goHome() override { navigate(QUrl("about:blank")); }
    void reload() override { ++reloadCount; }
    QUrl url() const override { return pageUrl; }
    QString title() const override { return pageTitle; }
    bool isBusy() const override { return busy; }
    std::optional<QString> html() override {
        if (life == browser::LifeState::Discarded) { // loaded again, as the engine's view does
            life = browser::LifeState::Active;
            emit reloadedForReading();
        }
        if (!answers)
            return std::nullopt;
        return pageHtml;
    }
    QString characterSet() override { return pageCharset; }
    bool setHtml(const QString &innerHtml) override {
        if (!answers)
            return false;
        pageHtml = innerHtml;
        return true;
    }
    QString articleJson() override { return article; }
    QString selectedText() override { return selection; }
    QString selectionType() override { return selection.isEmpty() ? "none" : "text"; }
    QString focusedElementType() override { return focusedType; }
    bool appendToFocusedElement(const QString &text) override {
        if (focusedType != "text" && focusedType != "textarea" && focusedType != "password")
            return false;
        focusedValue += text;
        return true;
    }
    bool setValueByName(const QString &name, const QString &value) override {
        namedValues.append({name, value});
        return true;
    }
    void savePageAs(const QString &path) override { savedAs.append(path); }
    void download(const QUrl &url) override { downloads.append(url); }
    void watchFavouritesButtons() override { ++favouritesWatched; }
    void findText(const QString &text, bool backward) override {
        searches.append({text, backward});
    }
    double zoomFactor() const override { return zoom; }
    void setZoomFactor(double factor) override { zoom = factor; }
    browser::LifeState lifeState() const override { return life; }
    void setLifeState(browser::LifeState state) override { life = state; }
    bool holdsUserInput() const override { return userInput; }
    bool mustStayActive() const override { return stayActive; }

    // Lets the page ask the program's rules about a navigation, as the engine would.
    bool requestNavigation(const QUrl &url, bool own = false, bool mainFrame = true) {
        browser::NavigationRequest request{url, mainFrame, own};
        return navigationHandler() ? navigationHandler()->acceptNavigation(this, request) : true;
    }

    QUrl pageUrl;
    QString pageTitle;
    QString pageHtml;
    QString pageCharset = "UTF-8";
    QString article; // what articleJson() answers
    QString selection;
    QString focusedType;
    QString focusedValue;
    bool busy = false;
    bool answers = true; // false: the page does not answer reads, like a page in a script loop
    browser::LifeState life = browser::LifeState::Active;
    bool userInput = false;
    bool stayActive = false;
    int backCount = 0;
    int forwardCount = 0;
    int reloadCount = 0;
    QList<QUrl> navigations;
    QList<QPair<QString, QString>> namedValues;
    QStringList savedAs;
    QList<QUrl> downloads;
    QList<QPair<QString, bool>> searches;
    double zoom = 1.0;
    int favouritesWatched = 0;

private:
    QPointer<QWidget> m_widget = new QWidget;
};

// A download as the engine offers it: nothing is written; accept() and cancel() are recorded.
class FakeDownload : public browser::Download {
    Q_OBJECT
public:
    using Download::Download;
    QUrl url() const override { return address; }
    QString suggestedFileName() const override { return fileName; }
    bool isPageSave() const override { return pageSave; }
    qint64 totalBytes() const override { return bytes; }
    bool isUserRequested() const override { return userRequested; }
    QString path() const override { return acceptedPath; }
    void accept(const QString &path) override { acceptedPath = path; }
    void cancel() override { cancelled = true; }

    QUrl address;
    QString fileName;
    bool pageSave = false;
    qint64 bytes = -1;
    bool userRequested = false;
    QString acceptedPath;
    bool cancelled = false;
};

// Makes fake views and keeps a list of them, in order of creation.
class FakeViewFactory : public browser::ViewFactory {
public:
    browser::BrowserView *createView(QObject *parent, bool = false) override {
        auto *view = new FakeBrowserView(parent);
        created.append(view);
        return view;
    }
    QList<FakeBrowserView *> created;
};

} // namespace testing_support
