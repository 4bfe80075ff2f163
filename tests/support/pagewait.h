#pragma once

#include "browser/browserview.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

// Test drivers read the page and wait for the answer; the program itself never waits.
namespace testing_support {

template <typename T>
T waitForReply(const std::function<void(std::function<void(T)>)> &start, T fallback,
               int ms = 10000) {
    QEventLoop loop;
    auto answer = std::make_shared<std::optional<T>>();
    start([answer, guard = QPointer<QEventLoop>(&loop)](T value) {
        *answer = std::move(value);
        if (guard)
            guard->quit();
    });
    if (!answer->has_value()) {
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return answer->has_value() ? **answer : fallback;
}

inline browser::PageRead readPageNow(browser::BrowserView *view) {
    return waitForReply<browser::PageRead>([view](auto reply) { view->readPage(std::move(reply)); },
                                           {});
}

// The page's inner HTML; nothing unless the page answered with its document.
inline std::optional<QString> htmlNow(browser::BrowserView *view) {
    const browser::PageRead page = readPageNow(view);
    return page.ok() ? std::optional<QString>(page.html) : std::nullopt;
}

inline QString charsetNow(browser::BrowserView *view) {
    return readPageNow(view).charset;
}

inline QString focusedTypeNow(browser::BrowserView *view) {
    return waitForReply<QString>(
        [view](auto reply) { view->readFocusedElementType(std::move(reply)); }, {});
}

} // namespace testing_support
