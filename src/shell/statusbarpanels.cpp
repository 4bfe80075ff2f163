#include "statusbarpanels.h"

#include "windowupdates.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace shell {

using commands::Panel;

namespace {

QPushButton *flatButton(QStatusBar &bar, const QString &name, const QString &caption,
                        std::function<void()> click) {
    auto *button = new QPushButton(caption, &bar);
    button->setObjectName(name);
    button->setFlat(true);
    QObject::connect(button, &QPushButton::clicked, &bar, std::move(click));
    return button;
}

} // namespace

StatusBarPanels::StatusBarPanels(QStatusBar &bar, WindowUpdates &updates,
                                 std::function<void()> closeCurrent, std::function<void()> closeAll)
    : QObject(&bar), m_updates(updates) {
    bar.addWidget(flatButton(bar, QStringLiteral("s0"), QStringLiteral("删除当前网页"),
                             std::move(closeCurrent)));
    for (const Panel panel : {Panel::Counts, Panel::Message, Panel::TabCount}) {
        auto *label = new QLabel(&bar);
        const QString key = commands::panelKey(panel);
        const bool tabCount = panel == Panel::TabCount;
        label->setObjectName(key);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setSizePolicy(tabCount ? QSizePolicy::Fixed : QSizePolicy::Ignored,
                             QSizePolicy::Preferred);
        if (tabCount) {
            label->setAlignment(Qt::AlignCenter);
            label->setFixedWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("000000")) +
                                 12);
            bar.addPermanentWidget(label);
        } else {
            label->setMinimumWidth(100);
            bar.addWidget(label, panel == Panel::Counts ? 1 : 2);
        }
        m_labels.insert(key, label);
    }
    bar.addPermanentWidget(
        flatButton(bar, QStringLiteral("s3"), QStringLiteral("删除所有网页"), std::move(closeAll)));
}

void StatusBarPanels::setText(Panel panel, const QString &text) {
    if (panel == Panel::Message) {
        m_message = text;
        showMessage();
    } else if (panel != Panel::Address) {
        m_updates.set(commands::panelKey(panel), text);
    }
}

QString StatusBarPanels::text(Panel panel) const {
    return panel == Panel::Address ? QString() : m_updates.text(commands::panelKey(panel));
}

void StatusBarPanels::showMessage() {
    QStringList parts;
    for (const QString &part : {m_notice, m_message, m_settingsProblem}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    m_updates.set(commands::panelKey(Panel::Message), parts.join(QStringLiteral("　")));
}

void StatusBarPanels::showNotice(const QString &text) {
    m_notice = text;
    m_message.clear(); // what s2 said before is stale now
    showMessage();
    QTimer::singleShot(kNoticeMs, this, [this, text] {
        if (m_notice != text)
            return; // a later notice holds s2 now
        m_notice.clear();
        showMessage();
    });
}

void StatusBarPanels::setSettingsProblem(const QString &problem) {
    m_settingsProblem = problem;
    showMessage();
}

bool StatusBarPanels::show(const QString &key, const QString &text) {
    QLabel *label = m_labels.value(key);
    if (!label)
        return false;
    label->setText(text);
    label->setToolTip(text);
    return true;
}

} // namespace shell
