#pragma once

#include "common/task.h"

#include <QList>
#include <QString>

// Which command a toolbar button or a drop-down menu entry runs, decided from its key alone.
// Every command is one row of a table (menuroutes.cpp): its key or key prefix, the name of its
// operation, and the code that runs it. The menu rows are tested in table order and the first
// match wins, so a copied text "help" in the paste menu opens the help page.
namespace shell {

class Commands;

// What a chosen entry hands its command: the name that follows a key prefix ("add_" + name),
// and the entry's caption (pasted by the default branch).
struct MenuChoice {
    QString name;
    QString caption;
};

struct CommandRoute {
    enum class Match { Exact, Prefix, Anything };
    using Now = void (*)(Commands &, const MenuChoice &);
    using Waiting = common::Task<> (*)(Commands &, const MenuChoice &);

    // A row's code either runs at once, or returns a command that waits for pages.
    CommandRoute(const char *key, Match match, const char *operation, Now now)
        : key(key), match(match), operation(operation), m_now(now) {}
    CommandRoute(const char *key, Match match, const char *operation, Waiting waiting)
        : key(key), match(match), operation(operation), m_waiting(waiting) {}

    const char *key; // the whole key, or its prefix
    Match match;
    const char *operation; // the operation's name in the program: OnlySave, SaveAllW, ...

    // The row's command, as the runner runs it.
    common::Task<> run(Commands &commands, MenuChoice choice) const;

private:
    Now m_now = nullptr;
    Waiting m_waiting = nullptr;
};

// The menu entries' rows in the order they are tested: the exact keys, then the prefixes,
// then the default branch, which matches every key.
const QList<CommandRoute> &menuRoutes();

struct Route {
    const CommandRoute *command = nullptr;
    QString name; // the text after the prefix, for prefix rows
};

// The row a drop-down entry's key reaches; never null (the default branch catches the rest).
Route routeMenuKey(const QString &key);

// The row of a toolbar button's own click; null for toggles, separators and unknown keys.
const CommandRoute *routeButtonKey(const QString &key);

} // namespace shell
