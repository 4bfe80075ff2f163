#pragma once

#include "common/task.h"

#include <QList>
#include <QString>

#include <type_traits>

// Every entry of the window in one table (commandtable.cpp): the toolbar's buttons and their
// drop-down menus, the menu bar, the tab menu and the keyboard shortcuts, each row with its
// key, caption, shortcut, place and the code it runs. The toolbar, the menu bar, the tab menu
// and the shortcuts are built from it, and `lumaro --command KEY` runs a row by its key.
namespace shell {

class Commands;

// What a chosen entry hands its command: the name that follows a key prefix ("add_" + name),
// or for the tab menu the key of the tab the menu was opened on; and the entry's caption
// (pasted by the default branch).
struct MenuChoice {
    QString name;
    QString caption;
};

// Where a row appears.
enum class Place {
    Button,     // a toolbar button (or a separator between buttons)
    ButtonMenu, // an entry of a toolbar button's drop-down menu
    MenuBar,    // the menu bar: a menu (its `in` is empty) or an entry of the menu `in`
    TabMenu,    // the tab strip's right-click menu
    KeysOnly,   // a keyboard shortcut and nothing to click
};

// How a toolbar button looks.
struct ButtonFace {
    enum class Kind { Action, Toggle, Separator };
    Kind kind = Kind::Action;
    bool hasMenu = false;
    const char *glyph = ""; // the character drawn on its icon
    unsigned colour = 0;    // the icon's colour, 0xRRGGBB
};

struct CommandEntry {
    enum class Match { Exact, Prefix, Anything };
    // OneAtATime: runs as a command of its own, refused while another runs. Beside: runs at
    // once whatever runs (moving about the window: tabs, zoom, find, the address box).
    enum class Turn { OneAtATime, Beside };
    using Now = void (*)(Commands &, const MenuChoice &);
    using Waiting = common::Task<> (*)(Commands &, const MenuChoice &);

    // A row's code: runs at once, or returns a command that waits for pages. None for
    // separators, toggles and menus, and for rows that run the code of an earlier row with
    // the same key.
    struct Handler {
        Handler() = default;
        template <typename F> Handler(F code) {
            if constexpr (std::is_void_v<std::invoke_result_t<F, Commands &, const MenuChoice &>>)
                now = +code;
            else
                waiting = +code;
        }
        Now now = nullptr;
        Waiting waiting = nullptr;
    };

    const char *key; // the whole key, or its prefix
    Place place;
    const char *in;        // the button or menu holding the entry; "" for none
    const char *caption;   // the tooltip of a button; "-" for a separator
    const char *shortcut;  // QKeySequence's portable text, "; " between several; "" for none
    const char *operation; // the command's name while it runs: OnlySave, SaveAllW, ...
    Handler handler;
    Match match = Match::Exact;
    Turn turn = Turn::OneAtATime;
    ButtonFace face = {};

    bool hasCode() const { return handler.now || handler.waiting; }
    // The row's code, as the runner runs it.
    common::Task<> run(Commands &commands, MenuChoice choice) const;
};

// The rows, in the order they appear: the toolbar left to right, each button followed by its
// menu; the menu bar; the tab menu; the shortcuts; then the entries added while the program
// runs (key prefixes) and the default branch, which matches every key.
const QList<CommandEntry> &commandTable();

// The row whose code a key runs, wherever it appears: the first row with that exact key that
// has code of its own. Null for unknown keys, toggles and separators.
const CommandEntry *commandForKey(const QString &key);

struct Route {
    const CommandEntry *command = nullptr;
    QString name; // the text after the prefix, for prefix rows
};

// The row a drop-down entry's key reaches: the toolbar menus' fixed entries by their exact
// key, then the prefixes, then the default branch (so a copied text "help" in the paste menu
// opens the help page). Never null.
Route routeMenuKey(const QString &key);

// The row of a toolbar button's own click; null for toggles, separators and unknown keys.
const CommandEntry *routeButtonKey(const QString &key);

// "key  caption" for every key `lumaro --command` takes, one a line, in table order.
QString commandKeyList();

} // namespace shell
