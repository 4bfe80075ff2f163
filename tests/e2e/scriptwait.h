#pragma once

#include "browser/webengine/webengineview.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

// Runs a script in a view's page for a test and waits for its value (invalid after `ms`).
namespace testing_support {

inline QVariant scriptNow(QWebEnginePage *page, const QString &script, int ms = 5000) {
    QEventLoop loop;
    auto value = std::make_shared<QVariant>();
    auto done = std::make_shared<bool>(false);
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                        [value, done, guard = QPointer<QEventLoop>(&loop)](const QVariant &v) {
                            *value = v;
                            *done = true;
                            if (guard)
                                guard->quit();
                        });
    if (!*done) {
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return *value;
}

} // namespace testing_support
