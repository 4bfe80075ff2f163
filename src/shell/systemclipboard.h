#pragma once

#include "commands/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace shell {

// The desktop's clipboard; its change signal (on X11 also when another program takes the
// clipboard's ownership) reaches the change listener.
class SystemClipboard : public commands::Clipboard {
public:
    SystemClipboard() {
        m_connection = QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                                        [this] { notifyChanged(); });
    }
    ~SystemClipboard() override { QObject::disconnect(m_connection); }
    QString text() const override { return QGuiApplication::clipboard()->text(); }
    void setText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    void clear() override { QGuiApplication::clipboard()->clear(); }

private:
    QMetaObject::Connection m_connection;
};

} // namespace shell
