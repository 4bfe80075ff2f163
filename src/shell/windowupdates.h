#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace shell {

// The window's own texts (status panels, caption, address box) by key, shown at most once per
// interval: a change when nothing was shown for an interval is shown at once; later changes
// within it are merged, and only the last text of each key is shown when the interval ends.
// Hundreds of pages finishing at once thus cost a few repaints, not one per page. text() is
// always the latest text, shown or not.
// Example: set("s2", "a"); set("s2", "b"); set("s2", "c") shows "a" at once and "c" ~100 ms
// later; text("s2") == "c" right away.
class WindowUpdates : public QObject {
    Q_OBJECT
public:
    using Show = std::function<void(const QString &key, const QString &text)>;
    explicit WindowUpdates(Show show, int intervalMs = 100, QObject *parent = nullptr);

    void set(const QString &key, const QString &text);
    QString text(const QString &key) const { return m_latest.value(key); }
    // Drops a key's change not yet shown (its widget was written directly since).
    void drop(const QString &key);

private:
    void showPending();

    Show m_show;
    QTimer m_timer;
    QHash<QString, QString> m_latest;
    QStringList m_pending; // keys in the order of their first change since the last showing
};

} // namespace shell
