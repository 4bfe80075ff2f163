#include "commandtable.h"

#include <QHash>

// Finding a row of the command table by key.
namespace shell {

namespace {

using M = CommandEntry::Match;

// The first row with code of its own for each exact key.
const QHash<QString, const CommandEntry *> &codeByKey() {
    static const QHash<QString, const CommandEntry *> rows = [] {
        QHash<QString, const CommandEntry *> byKey;
        for (const CommandEntry &row : commandTable()) {
            const QString key = QString::fromLatin1(row.key);
            if (row.match == M::Exact && row.hasCode() && !byKey.contains(key))
                byKey.insert(key, &row);
        }
        return byKey;
    }();
    return rows;
}

bool isFixedMenuEntry(const CommandEntry &row, const QString &key) {
    return row.place == Place::ButtonMenu && row.match == M::Exact && key == QLatin1String(row.key);
}

} // namespace

common::Task<> CommandEntry::run(Commands &commands, MenuChoice choice) const {
    if (handler.waiting)
        co_await handler.waiting(commands, choice);
    else if (handler.now)
        handler.now(commands, choice);
}

const CommandEntry *commandForKey(const QString &key) {
    return codeByKey().value(key);
}

Route routeMenuKey(const QString &key) {
    const QList<CommandEntry> &table = commandTable();
    for (const CommandEntry &row : table) {
        if (isFixedMenuEntry(row, key) && commandForKey(key))
            return {commandForKey(key), QString()};
    }
    for (const CommandEntry &row : table) {
        if (row.match == M::Prefix && key.startsWith(QLatin1String(row.key)))
            return {&row, key.mid(qstrlen(row.key))};
    }
    for (const CommandEntry &row : table) {
        if (row.match == M::Anything)
            return {&row, QString()};
    }
    Q_UNREACHABLE();
}

const CommandEntry *routeButtonKey(const QString &key) {
    for (const CommandEntry &row : commandTable()) {
        if (row.place == Place::Button && key == QLatin1String(row.key))
            return row.hasCode() ? &row : nullptr;
    }
    return nullptr;
}

QString commandKeyList() {
    QStringList keys;
    QHash<QString, QString> captions;
    QHash<QString, QStringList> shortcuts;
    for (const CommandEntry &row : commandTable()) {
        const QString key = QString::fromLatin1(row.key);
        if (row.match != M::Exact || !commandForKey(key))
            continue;
        if (!keys.contains(key))
            keys.append(key);
        if (captions.value(key).isEmpty())
            captions.insert(key, QString::fromUtf8(row.caption));
        const QString shortcut = QString::fromLatin1(row.shortcut);
        if (!shortcut.isEmpty() && !shortcuts.value(key).contains(shortcut))
            shortcuts[key].append(shortcut);
    }
    QStringList lines;
    for (const QString &key : keys) {
        QString text = captions.value(key);
        if (shortcuts.contains(key))
            text += QStringLiteral("（%1）").arg(shortcuts.value(key).join(QStringLiteral("; ")));
        lines.append(text.isEmpty() ? QStringLiteral("  ") + key
                                    : QStringLiteral("  %1 %2").arg(key, -22).arg(text));
    }
    return lines.join(u'\n');
}

} // namespace shell
