#pragma once

#include <QHash>
#include <QToolBar>

class QMenu;
class QToolButton;
class QAction;

namespace shell {

// The main toolbar, built from the command table: buttons with keys, two toggles, and
// drop-down menus of keyed entries that can change while the program runs. Keys are unique
// within one menu.
class Toolbar : public QToolBar {
    Q_OBJECT
public:
    explicit Toolbar(QWidget *parent = nullptr);

    bool isChecked(const QString &buttonKey) const;
    void setChecked(const QString &buttonKey, bool checked);
    QToolButton *button(const QString &buttonKey) const { return m_buttons.value(buttonKey); }

    // Appends an entry; false (and nothing added) when the menu already has the key.
    bool addMenuEntry(const QString &buttonKey, const QString &entryKey, const QString &caption);
    bool hasMenuEntry(const QString &buttonKey, const QString &entryKey) const;
    QString menuEntryCaption(const QString &buttonKey, const QString &entryKey) const;
    void setMenuEntryCaption(const QString &buttonKey, const QString &entryKey,
                             const QString &caption);
    void setMenuEntryChecked(const QString &buttonKey, const QString &entryKey, bool checked);
    void clearMenu(const QString &buttonKey);
    QStringList menuKeys(const QString &buttonKey) const;
    // The entry with this key in the first menu, left to right, that has one; null when no
    // menu has it or it is a separator. Triggering it is choosing it.
    QAction *findMenuEntry(const QString &entryKey) const;

signals:
    void buttonClicked(const QString &buttonKey);
    void menuEntryChosen(const QString &entryKey, const QString &caption);

private:
    struct Menu {
        QMenu *menu = nullptr;
        QStringList keys;
        QHash<QString, QAction *> actions;
    };

    QHash<QString, QToolButton *> m_buttons;
    QStringList m_buttonOrder; // left to right
    QHash<QString, Menu> m_menus;
};

} // namespace shell
