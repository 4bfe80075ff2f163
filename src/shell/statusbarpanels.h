#pragma once

#include "commands/statuspanels.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QStatusBar;

namespace shell {

class WindowUpdates;

// The status bar's five panels, from the left: s0 (the button "删除当前网页"), s1 (the
// commands' counts), s2 (what happened), s4 (the number of the newest tab) and s3 (the
// button "删除所有网页"). s4 and s3 keep their room at the right edge; s1 and s2 share what
// is left. Texts repaint through the window's coalesced updates. s2 puts a held notice first
// and a broken settings file last, whatever is written to it meanwhile.
class StatusBarPanels : public QObject {
    Q_OBJECT
public:
    using Panel = commands::Panel;
    StatusBarPanels(QStatusBar &bar, WindowUpdates &updates, std::function<void()> closeCurrent,
                    std::function<void()> closeAll);

    void setText(Panel panel, const QString &text);
    // The latest text at once; the label may show it up to one update interval later.
    QString text(Panel panel) const;
    // Held for kNoticeMs in front of what s2 says meanwhile.
    void showNotice(const QString &text);
    static constexpr int kNoticeMs = 15000;
    // Why the settings could not be read; told at the end of s2 until cleared.
    void setSettingsProblem(const QString &problem);
    QString settingsProblem() const { return m_settingsProblem; }
    // Shows a text that the coalesced updates hand over; false for keys of no panel.
    bool show(const QString &key, const QString &text);

private:
    void showMessage();

    WindowUpdates &m_updates;
    QHash<QString, QLabel *> m_labels; // by object name
    QString m_message;                 // what s2 was last asked to say, without the notices
    QString m_notice;
    QString m_settingsProblem;
};

} // namespace shell
