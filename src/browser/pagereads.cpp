#include "pagereads.h"

#include <QElapsedTimer>

namespace browser {

namespace {

// One read or change through the view's own call, guarded against a view that is gone.
template <typename T, typename Call>
common::Answer<T> ask(BrowserView *view, T whenGone, Call call,
                      std::optional<T> whenStopped = std::nullopt) {
    return common::Answer<T>(
        [guard = QPointer<BrowserView>(view), whenGone, call](std::function<void(T)> reply) {
            if (!guard) {
                reply(whenGone);
                return;
            }
            call(guard.data(), std::move(reply));
        },
        whenGone, kLongestReadMs, std::move(whenStopped));
}

PageRead closedPage() {
    return PageRead{PageRead::Status::Closed, {}, {}};
}

} // namespace

common::Answer<PageRead> readPage(BrowserView *view) {
    return ask<PageRead>(
        view, closedPage(), [](BrowserView *v, auto reply) { v->readPage(std::move(reply)); },
        PageRead{PageRead::Status::Stopped, {}, {}});
}

common::Answer<bool> changeHtml(BrowserView *view, const QString &innerHtml) {
    return ask<bool>(view, false, [innerHtml](BrowserView *v, auto reply) {
        v->changeHtml(innerHtml, std::move(reply));
    });
}

common::Answer<QString> readArticleJson(BrowserView *view) {
    return ask<QString>(view, QString(),
                        [](BrowserView *v, auto reply) { v->readArticleJson(std::move(reply)); });
}

common::Answer<QString> readWholePage(BrowserView *view) {
    return ask<QString>(
        view, QString(), [](BrowserView *v, auto reply) { v->readWholePage(std::move(reply)); },
        QString());
}

common::Answer<QString> readFocusedElementType(BrowserView *view) {
    return ask<QString>(view, QString(), [](BrowserView *v, auto reply) {
        v->readFocusedElementType(std::move(reply));
    });
}

common::Answer<bool> appendToFocusedElement(BrowserView *view, const QString &text) {
    return ask<bool>(view, false, [text](BrowserView *v, auto reply) {
        v->appendToFocusedElement(text, std::move(reply));
    });
}

common::Answer<bool> setValueByName(BrowserView *view, const QString &name, const QString &value) {
    return ask<bool>(view, false, [name, value](BrowserView *v, auto reply) {
        v->setValueByName(name, value, std::move(reply));
    });
}

common::Answer<bool> documentComplete(BrowserView *view, int timeoutMs) {
    return common::Answer<bool>(
        [guard = QPointer<BrowserView>(view)](std::function<void(bool)> reply) {
            if (!guard) {
                reply(false);
                return;
            }
            QObject::connect(
                guard.data(), &BrowserView::documentComplete, guard.data(),
                [reply] { reply(true); }, Qt::SingleShotConnection);
        },
        false, timeoutMs);
}

common::Task<PageRead> readLoadedPage(QPointer<BrowserView> view, int limitMs) {
    QElapsedTimer waited;
    waited.start();
    const int stops = common::waitsStoppedSoFar();
    for (;;) {
        if (!view)
            co_return closedPage();
        if (common::waitsStoppedSoFar() != stops)
            co_return PageRead{PageRead::Status::Stopped, {}, {}};
        PageRead read = co_await readPage(view.data());
        if (read.status != PageRead::Status::NoDocument || waited.elapsed() >= limitMs)
            co_return read;
        // Nothing is on its way: no load under way and no turn in the load queue to wait for.
        if (!view || (!view->isBusy() && view->queuedAddress().isEmpty()))
            co_return read;
        // Looked at again when its load ends, and every half second meanwhile: a tab whose
        // turn comes may start and end its load between two looks.
        co_await documentComplete(view.data(), 500);
    }
}

} // namespace browser
