#pragma once

#include "support/pagewait.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

// Runs a script in a view's page for a test and waits for its value (invalid after `ms`).
namespace testing_support {

inline QVariant scriptNow(QWebEnginePage *page, const QString &script, int ms = 5000) {
    return waitForReply<QVariant>(
        [page, script](std::function<void(QVariant)> reply) {
            page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                [reply](const QVariant &value) { reply(value); });
        },
        QVariant(), ms);
}

} // namespace testing_support
