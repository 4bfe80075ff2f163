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
    const char *key; // the whole key, or its prefix
    Match match;
    const char *operation; // the operation's name in the program: OnlySave, SaveAllW, ...
    common::Task<> (*run)(Commands &, MenuChoice);
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
