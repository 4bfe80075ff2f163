#include "typeahead.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace shell {

namespace {

// A page that has not come by then is not waited for.
constexpr int kLongestWaitMs = 10000;

} // namespace

void TypeAhead::keep(browser::BrowserView *view) {
    if (view)
        new TypeAhead(view);
}

TypeAhead::TypeAhead(browser::BrowserView *view) : QObject(view), m_view(view) {
    qApp->installEventFilter(this);
    connect(view, &browser::BrowserView::documentComplete, this, &TypeAhead::handOver);
    QTimer::singleShot(kLongestWaitMs, this, &TypeAhead::handOver);
}

bool TypeAhead::isInView(QObject *object) const {
    auto *widget = qobject_cast<QWidget *>(object);
    return m_view && widget && (widget == m_view->widget() || m_view->widget()->isAncestorOf(widget));
}

bool TypeAhead::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && isInView(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            m_typed += text;
            return true;
        }
    } else if (event->type() == QEvent::InputMethod && isInView(watched)) {
        const auto *input = static_cast<QInputMethodEvent *>(event);
        if (!input->commitString().isEmpty()) {
            m_typed += input->commitString();
            return true;
        }
    }
    return false;
}

void TypeAhead::handOver() {
    qApp->removeEventFilter(this);
    if (m_view && !m_typed.isEmpty())
        m_view->appendToFocusedElement(m_typed, [](bool) {});
    m_typed.clear();
    deleteLater();
}

} // namespace shell
