#pragma once

#include <QString>

namespace commands {

// The status bar's panels, and the address box.
enum class Panel {
    Counts,   // "s1": a command's counts
    Message,  // "s2": what happened
    TabCount, // "s4": the number of the newest tab
    Address,  // the address box's text
};

// The panel's widget name: "s1", "s2", "s4"; "address".
inline QString panelKey(Panel panel) {
    switch (panel) {
    case Panel::Counts:
        return QStringLiteral("s1");
    case Panel::Message:
        return QStringLiteral("s2");
    case Panel::TabCount:
        return QStringLiteral("s4");
    case Panel::Address:
        break;
    }
    return QStringLiteral("address");
}

// Where commands tell what they did: the status bar's panels and the address box.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual void setPanelText(Panel panel, const QString &text) = 0;
    // A notice in s2 that needs the user's eye: the window keeps it readable for some seconds,
    // with what s2 says meanwhile shown after it.
    virtual void showNotice(const QString &text) { setPanelText(Panel::Message, text); }
};

} // namespace commands
