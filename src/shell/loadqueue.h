#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

namespace browser {
class BrowserView;
}

namespace shell {

// Lets only a few pages load at a time when a command opens many tabs at once: the others
// wait their turn and start in the order they were asked for. Six at a time, like a
// browser's connections to one site: a hundred tabs then load in about the time the slowest
// few take, without a hundred renderers fighting for two cores. A page that has not
// finished after 20 seconds gives up its place (it goes on loading).
class LoadQueue : public QObject {
    Q_OBJECT
public:
    explicit LoadQueue(int limit = 6, QObject *parent = nullptr)
        : QObject(parent), m_limit(limit) {}

    void navigate(browser::BrowserView *view, const QUrl &url);
    int loading() const { return m_loading.size(); }
    int waiting() const { return m_waiting.size(); }

private:
    void start(browser::BrowserView *view, const QUrl &url);
    void finished(browser::BrowserView *view);

    struct Pending {
        QPointer<browser::BrowserView> view;
        QUrl url;
    };
    int m_limit;
    QList<browser::BrowserView *> m_loading;
    QList<Pending> m_waiting;
};

} // namespace shell
