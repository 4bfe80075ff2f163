#pragma once

#include "browser/tabhost.h"

#include <QClipboard>
#include <QGuiApplication>

namespace shell {

// The desktop's clipboard.
class SystemClipboard : public browser::Clipboard {
public:
    QString text() const override { return QGuiApplication::clipboard()->text(); }
    void setText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    void clear() override { QGuiApplication::clipboard()->clear(); }
};

} // namespace shell
