#include "userinputclock.h"

#include <QCoreApplication>
#include <QEvent>

namespace browser {

UserInputClock &UserInputClock::instance() {
    static UserInputClock *clock = new UserInputClock;
    return *clock;
}

UserInputClock::UserInputClock() : QObject(QCoreApplication::instance()) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool UserInputClock::eventFilter(QObject *, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_sinceInput.start();
        break;
    default:
        break;
    }
    return false;
}

} // namespace browser
