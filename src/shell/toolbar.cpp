#include "toolbar.h"

#include "commandtable.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolButton>

namespace shell {

namespace {

// A round badge with one character: every button gets a face of its own. The program has
// each drawn as outlines (":/toolbar/KEY.svg", made at build time), which need no font; a
// build without them (the tests) draws the character with the fonts there are.
QIcon glyphIcon(const QString &glyph, QColor colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(19);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

QIcon faceIcon(const QString &key, const QString &glyph, QColor colour) {
    const QString resource = QStringLiteral(":/toolbar/%1.svg").arg(key);
    if (!QFile::exists(resource))
        return glyphIcon(glyph, colour);
    QSvgRenderer drawn(resource);
    if (!drawn.isValid())
        return glyphIcon(glyph, colour);
    QIcon icon;
    for (int size : {24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawn.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

Toolbar::Toolbar(QWidget *parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setIconSize(QSize(24, 24));
    for (const CommandEntry &row : commandTable()) {
        const QString key = QString::fromUtf8(row.key);
        if (row.place == Place::ButtonMenu && *row.in) {
            addMenuEntry(QString::fromLatin1(row.in), key, QString::fromUtf8(row.caption));
            continue;
        }
        if (row.place != Place::Button)
            continue;
        if (row.face.kind == ButtonFace::Kind::Separator) {
            addSeparator();
            continue;
        }
        auto *button = new QToolButton(this);
        button->setObjectName(key);
        button->setToolTip(QString::fromUtf8(row.caption));
        button->setIcon(
            faceIcon(key, QString::fromUtf8(row.face.glyph), QColor::fromRgb(row.face.colour)));
        button->setAutoRaise(true);
        button->setCheckable(row.face.kind == ButtonFace::Kind::Toggle);
        connect(button, &QToolButton::clicked, this, [this, key] { emit buttonClicked(key); });
        addWidget(button);
        m_buttons.insert(key, button);
        m_buttonOrder.append(key);
        if (!row.face.hasMenu)
            continue;
        Menu menu;
        menu.menu = new QMenu(button);
        button->setMenu(menu.menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        m_menus.insert(key, menu);
    }
}

bool Toolbar::isChecked(const QString &buttonKey) const {
    const QToolButton *button = m_buttons.value(buttonKey);
    return button && button->isChecked();
}

void Toolbar::setChecked(const QString &buttonKey, bool checked) {
    if (QToolButton *button = m_buttons.value(buttonKey))
        button->setChecked(checked);
}

bool Toolbar::addMenuEntry(const QString &buttonKey, const QString &entryKey,
                           const QString &caption) {
    auto it = m_menus.find(buttonKey);
    if (it == m_menus.end() || it->actions.contains(entryKey))
        return false;
    QAction *action =
        caption == QLatin1String("-") ? it->menu->addSeparator() : it->menu->addAction(caption);
    action->setData(entryKey);
    connect(action, &QAction::triggered, this,
            [this, action] { emit menuEntryChosen(action->data().toString(), action->text()); });
    it->keys.append(entryKey);
    it->actions.insert(entryKey, action);
    return true;
}

bool Toolbar::hasMenuEntry(const QString &buttonKey, const QString &entryKey) const {
    return m_menus.value(buttonKey).actions.contains(entryKey);
}

QString Toolbar::menuEntryCaption(const QString &buttonKey, const QString &entryKey) const {
    const QAction *action = m_menus.value(buttonKey).actions.value(entryKey);
    return action ? action->text() : QString();
}

void Toolbar::setMenuEntryCaption(const QString &buttonKey, const QString &entryKey,
                                  const QString &caption) {
    if (QAction *action = m_menus.value(buttonKey).actions.value(entryKey))
        action->setText(caption);
}

void Toolbar::setMenuEntryChecked(const QString &buttonKey, const QString &entryKey, bool checked) {
    if (QAction *action = m_menus.value(buttonKey).actions.value(entryKey)) {
        action->setCheckable(checked);
        action->setChecked(checked);
    }
}

void Toolbar::clearMenu(const QString &buttonKey) {
    auto it = m_menus.find(buttonKey);
    if (it == m_menus.end())
        return;
    it->menu->clear();
    it->keys.clear();
    it->actions.clear();
}

QStringList Toolbar::menuKeys(const QString &buttonKey) const {
    return m_menus.value(buttonKey).keys;
}

QAction *Toolbar::findMenuEntry(const QString &entryKey) const {
    for (const QString &button : m_buttonOrder) {
        QAction *action = m_menus.value(button).actions.value(entryKey);
        if (action)
            return action->isSeparator() ? nullptr : action;
    }
    return nullptr;
}

} // namespace shell
