// The page kept whole: the engine's own saves, and the program's one-file form (the page's
// script after a scroll through its lazy pictures, and the files it uses fetched outside it).
#include "webengineview.h"

#include "pagelife.h"
#include "pagescript.h"
#include "resourcefetcher.h"
#include "scriptrunner.h"
#include "webenginepage.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWebEngineProfile>

namespace browser {

namespace {

// How long the pictures that load when scrolled to are given, at most, before the page is read.
constexpr int kLazyPicturesMs = 5000;
// Writing out a long page's document may take a while.
constexpr int kWriteOutMs = 20000;

// One read of the whole page: answers once, and "" when it is dropped with its view.
class WholePageRead : public QObject {
public:
    WholePageRead(QObject *parent, std::function<void(QString)> reply)
        : QObject(parent), m_reply(std::move(reply)) {
        m_started.start();
    }
    ~WholePageRead() override { finish(QString()); }
    void finish(const QString &json) {
        if (const auto reply = std::exchange(m_reply, nullptr)) {
            reply(json);
            deleteLater();
        }
    }
    bool timeLeft() const { return m_started.elapsed() < kLazyPicturesMs; }

private:
    std::function<void(QString)> m_reply;
    QElapsedTimer m_started;
};

} // namespace

void WebEngineView::savePageAs(const QString &path, SaveFormat format) {
    if (!m_page)
        return; // nothing to save
    const auto engineFormat = format == SaveFormat::Mhtml
                                  ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                                  : QWebEngineDownloadRequest::CompleteHtmlSaveFormat;
    // Saved once the page is back, when it must load again first.
    m_life->whenBack(this, [this, path, engineFormat] { m_page->save(path, engineFormat); });
}

void WebEngineView::readWholePage(std::function<void(QString)> reply) {
    auto *read = new WholePageRead(this, std::move(reply));
    if (!queuedAddress().isEmpty() || !m_page) {
        QTimer::singleShot(0, read, [read] { read->finish(QString()); });
        return;
    }
    bringInLazyPictures(read);
}

void WebEngineView::bringInLazyPictures(QObject *readObject) {
    QPointer<WholePageRead> read(static_cast<WholePageRead *>(readObject));
    m_scripts->run(
        scriptWithArguments(QStringLiteral("whole_page_prepare.js"),
                            {{QStringLiteral("$ACTION"), QStringLiteral("step")}}),
        [this, read](const QVariant &value) {
            if (!read)
                return;
            const QVariantMap step = value.toMap();
            const bool atEnd = step.value(QStringLiteral("atEnd"), true).toBool();
            const int pending = step.value(QStringLiteral("pending")).toInt();
            if (value.isValid() && (!atEnd || pending > 0) && read->timeLeft()) {
                QTimer::singleShot(atEnd ? 100 : 50, read, [this, read] {
                    if (read)
                        bringInLazyPictures(read);
                });
                return;
            }
            m_scripts->run(
                scriptWithArguments(QStringLiteral("whole_page_prepare.js"),
                                    {{QStringLiteral("$ACTION"), QStringLiteral("restore")}}),
                [this, read](const QVariant &) {
                    if (!read)
                        return;
                    m_scripts->run(
                        scriptWithArguments(QStringLiteral("whole_page.js"), {}),
                        [read](const QVariant &json) {
                            if (read)
                                read->finish(json.toString());
                        },
                        kWriteOutMs);
                });
        });
}

void WebEngineView::fetchResource(const QUrl &url,
                                  std::function<void(saving::FetchedResource)> reply) {
    if (!m_page) {
        QTimer::singleShot(0, this, [reply] {
            reply({false, {}, {}, false, QStringLiteral("网页已经不在了")});
        });
        return;
    }
    ResourceFetcher::forProfile(m_page->profile())->fetch(url, m_page->url(), std::move(reply));
}

} // namespace browser
