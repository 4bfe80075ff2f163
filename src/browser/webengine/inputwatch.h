#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QUrl>

class QWidget;

namespace browser {

class BrowserView;

// What the user does in one view's page: whether a navigation or a download starting now
// follows a click or key press there, and whether the page holds something only the user put
// there (typed text, a ticked box, a change the program made for the user).
class InputWatch : public QObject {
    Q_OBJECT
public:
    explicit InputWatch(BrowserView *view);

    // Watches the engine's widget, and the widgets the engine puts inside it for the page's
    // input (made anew when a renderer comes back).
    void watch(QWidget *engineWidget);

    // Whether a navigation starting now follows the user's click or key press in the page.
    bool followsUserInput() const;
    // The program fetches `url` for the user (a menu entry the user chose).
    void expectDownload(const QUrl &url) { m_requestedDownloads.insert(url); }
    // Whether a download of `url` starting now was asked for: through expectDownload(), or
    // following the user's click or key press in the page (each covers one download).
    bool claimDownload(const QUrl &url);

    // The user (or the program for the user) put something into the document shown now.
    void noteUserInput();
    // True until another document is shown in the view.
    bool holdsUserInput() const;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;

    BrowserView *m_view;
    QWidget *m_engineWidget = nullptr;
    QSet<QUrl> m_requestedDownloads; // not yet started
    QElapsedTimer m_sinceUserInput;  // a mouse press or key press in the page
    QUrl m_inputDocument;            // the document that holds input, without its fragment
};

} // namespace browser
