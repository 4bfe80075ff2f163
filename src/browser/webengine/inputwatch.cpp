#include "inputwatch.h"

#include "browser/browserview.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace browser {

namespace {

// Long enough for a slow server to answer a click with a file.
constexpr qint64 kAnswerTimeMs = 10000;
// A click or key starts its navigation at once; a page's script that navigates later on its
// own is not the user's doing.
constexpr qint64 kUserNavigationMs = 1000;

// Keys that change what a form field or an editable page holds; moving about (arrows, page
// keys, Tab, the space bar that scrolls) and copying do not.
bool editsText(const QKeyEvent *event) {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() && text != QLatin1String(" ");
}

} // namespace

InputWatch::InputWatch(BrowserView *view) : QObject(view), m_view(view) {}

void InputWatch::watch(QWidget *engineWidget) {
    m_engineWidget = engineWidget;
    engineWidget->installEventFilter(this);
}

bool InputWatch::followsUserInput() const {
    return m_sinceUserInput.isValid() && m_sinceUserInput.elapsed() < kUserNavigationMs;
}

bool InputWatch::claimDownload(const QUrl &url) {
    if (m_requestedDownloads.remove(url))
        return true;
    if (!m_sinceUserInput.isValid() || m_sinceUserInput.elapsed() >= kAnswerTimeMs)
        return false;
    m_sinceUserInput.invalidate();
    return true;
}

void InputWatch::noteUserInput() {
    m_inputDocument = m_view->url().adjusted(QUrl::RemoveFragment);
}

bool InputWatch::holdsUserInput() const {
    return !m_inputDocument.isEmpty() &&
           m_inputDocument == m_view->url().adjusted(QUrl::RemoveFragment);
}

bool InputWatch::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == m_engineWidget) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click may tick a box or pick an entry: the page may hold a choice from now on.
        m_sinceUserInput.start();
        noteUserInput();
        break;
    case QEvent::KeyPress:
        m_sinceUserInput.start();
        if (editsText(static_cast<QKeyEvent *>(event)))
            noteUserInput();
        break;
    default:
        break;
    }
    return false;
}

} // namespace browser
