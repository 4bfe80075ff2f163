#pragma once

#include <QList>
#include <QString>

namespace shell {

// One entry of a button's drop-down menu. A caption of "-" is a separator.
struct MenuEntryLayout {
    const char *key;
    const char *caption;
};

// One toolbar button, left to right. Separators have a key of their own and no tooltip.
struct ButtonLayout {
    enum class Kind { Action, Toggle, Separator };
    const char *key;
    const char *tooltip;
    Kind kind;
    bool hasMenu;
    const char *glyph; // the character drawn on the button's icon
    unsigned colour;   // the icon's colour, 0xRRGGBB
    QList<MenuEntryLayout> menu;
};

// The toolbar as the user sees it: every button and its fixed menu entries, in order.
const QList<ButtonLayout> &toolbarLayout();

} // namespace shell
