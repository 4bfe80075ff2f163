#include "findbar.h"

#include "browser/browserview.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

namespace shell {

FindBar::FindBar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("findbar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(new QLabel(QStringLiteral("查找："), this));
    m_text = new QLineEdit(this);
    m_text->setClearButtonEnabled(true);
    layout->addWidget(m_text, 1);
    auto *previous = new QToolButton(this);
    previous->setText(QStringLiteral("上一个"));
    auto *next = new QToolButton(this);
    next->setText(QStringLiteral("下一个"));
    auto *closeButton = new QToolButton(this);
    closeButton->setText(QStringLiteral("关闭"));
    m_result = new QLabel(this);
    m_result->setMinimumWidth(90);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_result);
    layout->addWidget(closeButton);
    connect(previous, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(next, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(closeButton, &QToolButton::clicked, this, &FindBar::close);
    connect(m_text, &QLineEdit::returnPressed, this,
            [this] { findNext(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(m_text, &QLineEdit::textChanged, this, [this] { findNext(false); });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &FindBar::close);
    hide();
}

void FindBar::openFor(browser::BrowserView *view) {
    if (m_view)
        disconnect(m_view, nullptr, this, nullptr);
    m_view = view;
    if (m_view)
        connect(m_view, &browser::BrowserView::findFinished, this, &FindBar::showResult);
    show();
    m_text->setFocus();
    m_text->selectAll();
}

void FindBar::findNext(bool backward) {
    if (!m_view)
        return;
    if (m_text->text().isEmpty())
        m_result->clear();
    m_view->findText(m_text->text(), backward);
}

void FindBar::close() {
    if (m_view)
        m_view->findText(QString(), false);
    m_result->clear();
    hide();
}

QString FindBar::resultText() const {
    return m_result->text();
}

void FindBar::showResult(int active, int total) {
    m_result->setText(total == 0 ? QStringLiteral("没有找到")
                                 : QStringLiteral("%1/%2").arg(active).arg(total));
}

} // namespace shell
