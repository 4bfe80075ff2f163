#pragma once

#include "browser/browserview.h"

#include <QList>
#include <QPointer>
#include <QWebEnginePage>

#include <functional>

class QWebEngineDownloadRequest;
class QWidget;

namespace browser {

class ReloadCover;

// How much of one view's engine page runs: frozen or discarded while hidden, loaded again when
// shown or read, and a renderer the program let go told apart from a crash. The view reports
// the page's loads and renderer ends to it before it signals them, so that whoever hears the
// view's signals sees the state already changed.
class PageLife : public QObject {
    Q_OBJECT
public:
    // Watches `container`, the view's widget: shown, a page the program let go comes back.
    PageLife(QWidget *container, QObject *parent);

    void attach(QWebEnginePage *page); // once the view has made its page

    LifeState state() const;
    // The engine refuses to freeze or discard a page that is shown: nothing happens then.
    void setState(LifeState state);

    // True when the page must load again before it can be read or shown: it was discarded, or
    // its renderer ended after the program let the page go.
    bool needsReload() const;
    // True while the page cannot be read yet: it needsReload(), or it is loading again after
    // revive() and that load has not finished.
    bool comingBack() const { return needsReload() || m_reviving; }
    // Runs `then` at once when the page is not comingBack(); otherwise once its load finishes
    // (a failed load too), loading it again first when it needsReload(). Every caller waits
    // for the same load; `then` is dropped when `context` goes first.
    void whenBack(QObject *context, std::function<void()> then);

    // The renderer ended in a crash (or was killed) and no load has started since.
    bool rendererGone() const { return m_rendererGone; }
    // True while the page must keep running: its renderer is gone (nothing to let go of), it
    // plays sound, or a file it started is still downloading.
    bool mustStayActive() const;
    // A download this page started: the page stays active until it has ended.
    void trackDownload(QWebEngineDownloadRequest *request);

    // Reported by the view from the engine's signals, before it signals them itself.
    void noteLoadStarted();
    void noteLoadFinished();
    // True for a crash; false when the renderer ended because the program let the page go
    // (a renderer shared with other tabs ends normally once all its pages are let go).
    bool noteRendererEnded(QWebEnginePage::RenderProcessTerminationStatus status);

    // The notice shown in a tab whose page lost its renderer.
    static QString crashNotice(QWebEnginePage::RenderProcessTerminationStatus status,
                               bool inputLost = false);

private:
    void revive();
    bool eventFilter(QObject *watched, QEvent *event) override;

    QWidget *m_container;
    ReloadCover *m_cover;
    QWebEnginePage *m_page = nullptr;
    bool m_rendererGone = false;
    bool m_discardAsked = false; // the program let the page go since its last load
    bool m_letGo = false;        // its renderer ended after that: not a crash
    bool m_reviving = false;     // revive() started a load that has not finished
    QList<QPointer<QWebEngineDownloadRequest>> m_downloads;
};

} // namespace browser
