#pragma once

#include "browser/browserview.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <QWidget>
#include <type_traits>

namespace testing_support {

// A view with scripted page values that records what the program asked of it.
class FakeBrowserView : public browser::BrowserView {
    Q_OBJECT
public:
    using BrowserView::BrowserView;
    // The widget may already be gone with the tab strip that held it.
    ~FakeBrowserView() override { delete m_widget; }

    QWidget *widget() override { return m_widget; }
    // The page arrives later, as the engine's does: busy until the posted load has finished.
    void navigate(const QUrl &url) override {
        navigations.append(url);
        pageUrl = url;
        busy = true;
        documentArrived = false;
        if (finishesLoads)
            later([this, load = ++m_loads] {
                if (load == m_loads && busy)
                    finishLoad();
            });
    }
    // Ends the load at once, as if the page had arrived and finished.
    void finishLoad(bool ok = true, const QString &error = "net::ERR_CONNECTION_REFUSED") {
        busy = false;
        documentArrived = true;
        setLoadError(ok ? QString() : error);
        emit documentComplete(pageUrl, ok);
    }
    void stop() override {
        busy = false;
        ++stopCount;
    }
    void goBack() override { ++backCount; }
    void goForward() override { ++forwardCount; }
    void goHome() override { navigate(QUrl("about:blank")); }
    void reload() override { ++reloadCount; }
    QUrl url() const override { return pageUrl; }
    QString title() const override { return pageTitle; }
    bool isBusy() const override { return busy; }
    // Reads answer later, from the event loop, as the engine does; a second read while one
    // is pending is refused, as the engine's reads of a busy page time out.
    void readPage(std::function<void(browser::PageRead)> reply) override {
        using Status = browser::PageRead::Status;
        if (life == browser::LifeState::Discarded) { // loaded again, as the engine's view does
            life = browser::LifeState::Active;
            emit reloadedForReading();
        }
        answerLater(reply, [this]() -> browser::PageRead {
            if (!answers)
                return {Status::NoAnswer, {}, {}};
            if (pageUrl.isEmpty() || !queuedAddress().isEmpty() || (busy && !documentArrived))
                return {Status::NoDocument, {}, {}};
            return {Status::Read, pageHtml, pageCharset};
        });
    }
    void changeHtml(const QString &innerHtml, std::function<void(bool)> reply) override {
        answerLater(reply, [this, innerHtml] {
            if (!answers)
                return false;
            pageHtml = innerHtml;
            userInput = true; // the page now holds what exists nowhere else
            return true;
        });
    }
    void readArticleJson(std::function<void(QString)> reply) override {
        answerLater(reply, [this] { return answers ? article : QString(); });
    }
    QString selectedText() override { return selection; }
    QString selectionType() override { return selection.isEmpty() ? "none" : "text"; }
    void readFocusedElementType(std::function<void(QString)> reply) override {
        answerLater(reply, [this] { return answers ? focusedType : QString(); });
    }
    void appendToFocusedElement(const QString &text, std::function<void(bool)> reply) override {
        answerLater(reply, [this, text] {
            if (!answers || !browser::isTextFieldType(focusedType))
                return false;
            focusedValue += text;
            userInput = true;
            return true;
        });
    }
    // Only names that the page's markup carries are set.
    void setValueByName(const QString &name, const QString &value,
                        std::function<void(bool)> reply) override {
        answerLater(reply, [this, name, value] {
            const QRegularExpression named(QStringLiteral("name\\s*=\\s*[\"']?%1([\"'\\s>]|$)")
                                               .arg(QRegularExpression::escape(name)));
            if (!answers || !named.match(pageHtml).hasMatch())
                return false;
            namedValues.append({name, value});
            userInput = true;
            return true;
        });
    }
    void savePageAs(const QString &path, SaveFormat format) override {
        savedAs.append(path);
        saveFormats.append(format);
    }
    void readWholePage(std::function<void(QString)> reply) override {
        answerLater(reply, [this] { return answers ? wholePageJson : QString(); });
    }
    // Files answer from `files` by address, later, each on its own; others as not found.
    void fetchResource(const QUrl &url,
                       std::function<void(saving::FetchedResource)> reply) override {
        fetched.append(url);
        QTimer::singleShot(0, qApp, [reply, file = files.value(url.toString())]() {
            reply(file.ok || file.tooLarge || !file.error.isEmpty()
                      ? file
                      : saving::FetchedResource{false, {}, {}, false, "404"});
        });
    }
    void download(const QUrl &url) override { downloads.append(url); }
    void findText(const QString &text, bool backward) override {
        searches.append({text, backward});
    }
    double zoomFactor() const override { return zoom; }
    void setZoomFactor(double factor) override { zoom = factor; }
    browser::LifeState lifeState() const override { return life; }
    // The engine lets a page go on the window's thread, taking some milliseconds.
    void setLifeState(browser::LifeState state) override {
        QThread::msleep(lifeChangeMs);
        life = state;
    }
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
    bool documentArrived = true; // false while a load has not brought its document
    bool finishesLoads = true;   // false: loads end only when a test calls finishLoad()
    int pendingReads = 0;
    int answerDelayMs = 0; // a page busy with a script answers late
    unsigned long lifeChangeMs = 0;
    browser::LifeState life = browser::LifeState::Active;
    bool userInput = false;
    bool stayActive = false;
    int backCount = 0;
    int forwardCount = 0;
    int reloadCount = 0;
    int stopCount = 0;
    QList<QUrl> navigations;
    QList<QPair<QString, QString>> namedValues;
    QStringList savedAs;
    QList<SaveFormat> saveFormats;
    QString wholePageJson; // what readWholePage() answers
    QHash<QString, saving::FetchedResource> files;
    QList<QUrl> fetched;
    QList<QUrl> downloads;
    QList<QPair<QString, bool>> searches;
    double zoom = 1.0;

private:
    template <typename F> void later(F f) { QTimer::singleShot(0, this, std::move(f)); }
    // Answered from the event loop; a view closed meanwhile answers as the engine's does.
    template <typename T, typename F> void answerLater(std::function<void(T)> reply, F value) {
        if (pendingReads > 0) {
            later([reply] { reply(T{}); });
            return;
        }
        ++pendingReads;
        QTimer::singleShot(answerDelayMs, qApp,
                           [self = QPointer<FakeBrowserView>(this), reply, value] {
                               if (!self) {
                                   if constexpr (std::is_same_v<T, browser::PageRead>)
                                       reply({browser::PageRead::Status::Closed, {}, {}});
                                   else
                                       reply(T{});
                                   return;
                               }
                               --self->pendingReads;
                               reply(value());
                           });
    }

    QPointer<QWidget> m_widget = new QWidget;
    int m_loads = 0;
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
    bool canResume() const override { return resumable; }
    void resume() override {
        if (paused) {
            paused = false;
            emit pausedChanged(false);
            return;
        }
        resumable = false;
        emit resumed();
    }
    bool isPaused() const override { return paused; }
    void pause() override {
        paused = true;
        emit pausedChanged(true);
    }

    QUrl address;
    QString fileName;
    bool pageSave = false;
    qint64 bytes = -1;
    bool userRequested = false;
    QString acceptedPath;
    bool cancelled = false;
    bool resumable = false;
    bool paused = false;
};

// Makes fake views and keeps a list of them, in order of creation.
class FakeViewFactory : public browser::ViewFactory {
public:
    browser::BrowserView *createView(QObject *parent, bool = false) override {
        auto *view = new FakeBrowserView(parent);
        view->finishesLoads = viewsFinishLoads;
        created.append(view);
        return view;
    }
    QList<FakeBrowserView *> created;
    bool viewsFinishLoads = true;
};

} // namespace testing_support
