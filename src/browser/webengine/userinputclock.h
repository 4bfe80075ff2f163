#pragma once

#include <QElapsedTimer>
#include <QObject>

namespace browser {

// When the user last pressed a key or a mouse button anywhere in the program: the mark of
// what the user asked for, as against what pages do on their own.
class UserInputClock : public QObject {
    Q_OBJECT
public:
    // The one clock, watching the application's input from its first use on.
    static UserInputClock &instance();
    // True when the user pressed a key or a mouse button within the last `ms` milliseconds.
    bool inputWithin(qint64 ms) const {
        return m_sinceInput.isValid() && m_sinceInput.elapsed() < ms;
    }

private:
    UserInputClock();
    bool eventFilter(QObject *watched, QEvent *event) override;

    QElapsedTimer m_sinceInput;
};

} // namespace browser
