#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace commands {
class Dialogs;
class StatusPanels;
} // namespace commands

namespace shell {

class TabManager;

// Keeps the open tabs in the session file (browser::TabSession), rewritten whole and
// atomically at most once a second while tabs change, and once more with the clean-quit mark
// when the program quits normally. At start-up, tabs left by a crash are opened again;
// those of a normal quit are offered as the last closed tabs ("恢复关闭的网页").
class SessionKeeper : public QObject {
    Q_OBJECT
public:
    SessionKeeper(TabManager &tabs, commands::StatusPanels &panels, const QString &path,
                  QObject *parent = nullptr);

    // Reads the file left by the last run and acts on it; reports in panel s2 what it did.
    // Returns the number of tabs opened again.
    int restore();
    // Writes the file now; false (and the reason in Chinese) when it could not be written.
    bool write(bool cleanQuit, QString *error = nullptr);
    // Writes the file with the clean-quit mark as the program quits. When that fails the user
    // chooses: try again, quit anyway (the older file is set aside as "session.json.old", so
    // that it is never taken for the last list), or stay. False: stay.
    bool writeAtQuit(commands::Dialogs &dialogs);
    QString path() const { return m_path; }
    // What restore() reported in s2 ("" when it had nothing to say).
    QString report() const { return m_report; }

private:
    TabManager &m_tabs;
    commands::StatusPanels &m_panels;
    QString m_path;
    QTimer m_timer;
    bool m_failureShown = false;
    QString m_report;
};

} // namespace shell
