#pragma once

#include <QString>

namespace commands {

// The status bar's panels by key ("s1", "s2", "s4"); "address" is the address box's text.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual void setPanelText(const QString &panel, const QString &text) = 0;
    // A notice in s2 that needs the user's eye: the window keeps it readable for some seconds,
    // with what s2 says meanwhile shown after it.
    virtual void showNotice(const QString &text) { setPanelText(QStringLiteral("s2"), text); }
};

} // namespace commands
