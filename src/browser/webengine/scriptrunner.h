#pragma once

#include <QObject>
#include <QVariant>

#include <functional>

class QWebEnginePage;

namespace browser {

class PageLife;

// Runs the scripts of one view's reads and changes in its page's isolated world. Every run
// answers once, later, through its callback; none waits in an event loop of its own.
class ScriptRunner : public QObject {
    Q_OBJECT
public:
    ScriptRunner(PageLife *life, QObject *parent);

    void attach(QWebEnginePage *page); // once the view has made its page

    // Answers the script's value, or an invalid one when the page does not answer within
    // `timeoutMs`, a load starts, the renderer crashes, or the view goes away (also when the
    // view has no page or a dead renderer). A frozen page is woken first. A page that is
    // coming back (discarded, let go, or loading again for an earlier read) is read once that
    // load has finished, which gets its own time on top of `timeoutMs`.
    void run(const QString &script, std::function<void(QVariant)> reply, int timeoutMs = 3000);

    // Runs are under way: the page must stay active.
    bool underWay() const { return m_running > 0; }

signals:
    // A discarded page was loaded again so that a run could read it.
    void reloadedForReading();

private:
    PageLife *m_life;
    QWebEnginePage *m_page = nullptr;
    int m_running = 0;
};

} // namespace browser
