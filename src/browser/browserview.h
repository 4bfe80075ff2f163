#pragma once

#include "saving/wholepage.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

namespace browser {

class PageDialogs;

// A navigation the engine is about to start in a view, as the shell's rules see it.
struct NavigationRequest {
    QUrl url;
    bool isMainFrame = true;    // false for frames inside the page
    bool ownNavigation = false; // started by the program itself (navigate()), not by the page
};

// Decides whether a navigation may go on in its view. Called synchronously from inside the
// engine: it must answer at once, and do any work of its own later (QTimer::singleShot).
class NavigationHandler {
public:
    virtual ~NavigationHandler() = default;
    virtual bool acceptNavigation(class BrowserView *view, const NavigationRequest &request) = 0;
};

// How much of a page the engine keeps: Active runs it; Frozen keeps it whole but runs none of
// its scripts or timers; Discarded keeps only its address, title and history, and loads it
// again when it is shown or read.
enum class LifeState { Active, Frozen, Discarded };

// What a read of the page found.
struct PageRead {
    enum class Status {
        Read,       // html and charset hold the page
        NoAnswer,   // the page did not answer in time (a script loop, a dead renderer)
        NoDocument, // the view holds no document yet: its page has not arrived
        Closed,     // the tab was closed before the answer came
        Stopped,    // the user pressed 停止 while the read waited
    };
    Status status = Status::NoAnswer;
    QString html;    // the document element's inner HTML
    QString charset; // "UTF-8", "GBK", ...
    bool ok() const { return status == Status::Read; }
};

// One page view, the only way the program talks to the HTML engine. Whatever needs the
// page's renderer answers later; what the engine keeps in the program (address, title,
// selection) answers at once.
class BrowserView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~BrowserView() override = default;

    virtual QWidget *widget() = 0;

    // Navigation. navigate() marks the navigation as the program's own.
    virtual void navigate(const QUrl &url) = 0;
    // Loads `url` asking the server again, never answered from the cache (a check for what is
    // new on a page read before).
    virtual void navigateFresh(const QUrl &url) { navigate(url); }
    virtual void stop() = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual void goHome() = 0;
    virtual void reload() = 0;

    // The page. url() is the address shown ("file:///..." for local files).
    virtual QUrl url() const = 0;
    virtual QString title() const = 0;
    virtual bool isBusy() const = 0;
    // Why the last load failed, as the engine says it ("" after a load that succeeded).
    QString loadError() const { return m_loadError; }
    // Where a page read from the disk tried to go on its own when its last load ended, kept
    // from it (the page itself is still shown); empty otherwise.
    QUrl refusedLeave() const { return m_refusedLeave; }
    // Reads and changes of the page answer later, through `reply`, from the event loop and
    // never inside the call; exactly once, also when the page does not answer in time (a busy
    // or dead page), when a load starts meanwhile, or when the view goes away.
    // The page as it stands: its markup and character set; NoDocument while the view's first
    // document has not arrived (a tab still waiting for its turn to load).
    virtual void readPage(std::function<void(PageRead)> reply) = 0;
    // Replaces the document element's inner HTML; true when the page took it.
    virtual void changeHtml(const QString &innerHtml, std::function<void(bool)> reply) = 0;
    // The page's main article found by Readability, as JSON {"title": ..., "content": HTML};
    // "" when the page has no article or Readability is not built in. The page is not changed.
    virtual void readArticleJson(std::function<void(QString)> reply) = 0;

    // The selection: its text ("" when nothing is selected), and "text" or "none".
    virtual QString selectedText() = 0;
    virtual QString selectionType() = 0;

    // The focused form field: its type in lower case ("text", "textarea", "password",
    // "checkbox", ...; "" when no field has the focus), appending to its value (true when a
    // text field took it), and setting the value of the first element with a name (false when
    // the page has no element of that name).
    virtual void readFocusedElementType(std::function<void(QString)> reply) = 0;
    virtual void appendToFocusedElement(const QString &text, std::function<void(bool)> reply) = 0;
    virtual void setValueByName(const QString &name, const QString &value,
                                std::function<void(bool)> reply) = 0;

    // The engine's own saves of the whole page: `path` and a folder of its parts beside it,
    // or one MHTML file.
    enum class SaveFormat { WithFolder, Mhtml };
    virtual void savePageAs(const QString &path, SaveFormat format = SaveFormat::WithFolder) = 0;
    // The page kept whole, as saving::parseWholePageCapture reads it: its pictures that load
    // only when they come into view are brought in first (for a few seconds at most), then
    // the page's script writes the document out. "" when the page gives nothing.
    virtual void readWholePage(std::function<void(QString)> reply) = 0;
    // A file the page uses, fetched as the page would (with its profile's cookies, the page as
    // the referrer); one over saving::kWholePageResourceLimit is not fetched whole.
    virtual void fetchResource(const QUrl &url,
                               std::function<void(saving::FetchedResource)> reply) = 0;
    // Downloads the file at `url` as a click on a link to it would: the download handler
    // decides where it goes.
    virtual void download(const QUrl &url) = 0;

    // Finds text in the page (an empty text clears the marks); findFinished reports the
    // place of the marked match and the number of matches.
    virtual void findText(const QString &text, bool backward) = 0;
    virtual double zoomFactor() const = 0;
    virtual void setZoomFactor(double factor) = 0;

    // The page's life state. Reads of a frozen or discarded page bring it back first: a
    // discarded one is loaded again (reloadedForReading tells), whatever read asks. A tab let
    // go by the program is never shown as crashed: showing it loads its page again.
    virtual LifeState lifeState() const = 0;
    // Asks for a state; the engine refuses to freeze or discard a page that is shown.
    virtual void setLifeState(LifeState state) = 0;
    // True while the page holds what exists nowhere else: text typed or pasted into it, a
    // click in it (a ticked box), or a change the program made to it (deletions). Cleared
    // when another document loads in the view.
    virtual bool holdsUserInput() const = 0;
    // True while the page must keep running: a command is reading it, a file it started is
    // still downloading, it plays sound, or its renderer is gone (nothing to let go of).
    virtual bool mustStayActive() const = 0;

    void setNavigationHandler(NavigationHandler *handler) { m_navigationHandler = handler; }

    // The address a tab waits to load when its turn in the load queue comes; empty when it
    // waits for none. Such a tab holds no document to read (readPage answers NoDocument).
    void setQueuedAddress(const QUrl &url) { m_queuedAddress = url; }
    QUrl queuedAddress() const { return m_queuedAddress; }

    // Prints the page into a PDF file; pdfPrinted reports the end.
    void printToPdf(const QString &path) { emit pdfRequested(path); }

signals:
    void statusTextChanged(const QString &text); // hovered link, "" when it leaves
    void loadStarted();
    void documentComplete(const QUrl &url, bool ok);
    void titleChanged(const QString &title);
    void newWindowRequested(const QUrl &url, bool userInitiated);
    void favouritesCommand(const QString &command); // a button of the favourites page
    void renderProcessGone();
    void findFinished(int activeMatch, int numberOfMatches);
    void pdfRequested(const QString &path); // for the engine adapter
    void pdfPrinted(const QString &path, bool ok);
    // The user chose "以此链接为下一章" on a link of the page: its address and visible text.
    void nextChapterLinkChosen(const QUrl &url, const QString &linkText);
    // The user chose "以后不保存这一块（本网站）" on an element of the page: the smallest
    // block around it that is not the story, as "tag#id" or "tag.class"; else, inside the
    // story, the line under the pointer (both empty when there is neither).
    void blockToDropChosen(const QString &selector, const QString &line);
    // A discarded page was loaded again so that a command could read it.
    void reloadedForReading();

protected:
    NavigationHandler *navigationHandler() const { return m_navigationHandler; }
    void setLoadError(const QString &error) { m_loadError = error; }
    void setRefusedLeave(const QUrl &url) { m_refusedLeave = url; }

private:
    NavigationHandler *m_navigationHandler = nullptr;
    QUrl m_queuedAddress;
    QString m_loadError;
    QUrl m_refusedLeave;
};

// A file the engine is about to download (a link to something it does not show, or the
// page saved whole). Nothing is written until accept() names the file.
class Download : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual QUrl url() const = 0;
    virtual QString suggestedFileName() const = 0;
    virtual bool isPageSave() const = 0;   // its path is set already (savePageAs)
    virtual qint64 totalBytes() const = 0; // -1 when the server does not say
    // True when the user asked for it: the page saved whole, or a click or key in the page
    // just before (a link, the context menu's save entries). Any other download, an address
    // typed or opened by a command included, counts as started by the page on its own.
    virtual bool isUserRequested() const = 0;
    virtual QString path() const = 0;
    virtual void accept(const QString &path) = 0;
    virtual void cancel() = 0;
    // True while the download is stopped before its end (a dropped connection) and the engine
    // can take it up where it stopped.
    virtual bool canResume() const { return false; }
    // Takes up a download stopped before its end, or one the user paused.
    virtual void resume() {}
    // Paused by the user: nothing is received until resume().
    virtual bool isPaused() const { return false; }
    virtual void pause() {}

signals:
    void progress(qint64 received, qint64 total); // total is -1 when unknown
    // Stopped before its end (the connection dropped, the disk is full): it may be resumed.
    void interrupted(const QString &reason);
    void resumed(); // going on after an interruption
    void pausedChanged(bool paused);
    void finished(bool ok, const QString &error); // over for good
};

// True for the focused-field types that take pasted text: "text", "textarea", "password".
inline bool isTextFieldType(const QString &type) {
    return type == QLatin1String("text") || type == QLatin1String("textarea") ||
           type == QLatin1String("password");
}

// Makes the views of new tabs: the real engine in the program, fakes in tests.
class ViewFactory {
public:
    virtual ~ViewFactory() = default;
    // `shownAtOnce` marks the first tab at start-up. A factory may use it to make a view's
    // widget later, but only where attaching a widget later is safe: the engine's views attach
    // theirs at once, always.
    virtual BrowserView *createView(QObject *parent, bool shownAtOnce = false) = 0;
    // Who decides where downloads go; without one they are refused.
    virtual void setDownloadHandler(std::function<void(Download *)> handler) {
        m_downloadHandler = std::move(handler);
    }

    // Who answers a page's login and certificate questions; without one they are refused.
    void setPageDialogs(PageDialogs *dialogs) { m_pageDialogs = dialogs; }
    // The folder where the page menu's "save page" writes.
    void setPageSaveFolder(std::function<QString()> folder) {
        m_pageSaveFolder = std::move(folder);
    }

    // Makes the program's own pages ("lumaro:NAME?query"): asked for the HTML of each load of
    // such an address, now or later, through `reply`; an empty HTML means there is no such
    // page. Web pages can neither show nor open them. Without a source they do not load.
    using ProgramPageSource =
        std::function<void(const QUrl &address, std::function<void(const QString &html)> reply)>;
    void setProgramPages(ProgramPageSource source) { m_programPages = std::move(source); }

protected:
    std::function<void(Download *)> m_downloadHandler;
    PageDialogs *m_pageDialogs = nullptr;
    std::function<QString()> m_pageSaveFolder;
    ProgramPageSource m_programPages;
};

} // namespace browser
