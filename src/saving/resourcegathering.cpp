#include "resourcegathering.h"

#include <QSet>

#include <deque>

namespace saving {

namespace {
constexpr int kAtOnce = 6;
}

const FetchedResource *ResourceCache::find(const QString &key) const {
    const auto found = m_kept.constFind(key);
    return found == m_kept.constEnd() ? nullptr : &*found;
}

void ResourceCache::keep(const QString &key, const FetchedResource &resource) {
    const qint64 size = resource.data.size();
    if (!resource.ok || size > m_budget / 4 || m_kept.contains(key))
        return;
    if (m_used + size > m_budget) { // full: the next pages start afresh
        m_kept.clear();
        m_used = 0;
    }
    m_kept.insert(key, resource);
    m_used += size;
}

struct ResourceGathering::State : std::enable_shared_from_this<State> {
    QUrl page;
    QString charset;
    Fetch fetch;
    std::shared_ptr<ResourceCache> cache;
    std::function<void(ResourceTable)> done;
    ResourceTable table;
    QSet<QString> asked;
    std::deque<std::pair<QUrl, bool>> waiting; // address, whether it is a style sheet
    int running = 0;
    int fetched = 0;
    qint64 bytes = 0;
    bool listening = true;

    void ask(const QUrl &url, bool sheet) {
        const QString key = resourceKey(url);
        if (key.isEmpty() || asked.contains(key))
            return;
        asked.insert(key);
        if (!mayFetchFor(url, page)) {
            FetchedResource refused;
            refused.error = QStringLiteral("网页不能取本机的文件");
            table.insert(key, refused);
            return;
        }
        waiting.emplace_back(url, sheet);
    }

    void askStyle(const QString &css, const QUrl &base) {
        for (const StyleReference &reference : styleReferences(css, base))
            ask(reference.url, reference.import);
    }

    void arrived(const QUrl &url, bool sheet, const FetchedResource &resource) {
        const QString key = resourceKey(url);
        if (resource.ok)
            bytes += resource.data.size();
        table.insert(key, resource);
        if (sheet && resource.ok)
            askStyle(decodeStyleSheet(resource.data, resource.contentType, charset), url);
    }

    // Starts what may start; tells `done` when nothing is left.
    void pump() {
        while (!waiting.empty() && running < kAtOnce) {
            const QUrl url = waiting.front().first;
            const bool sheet = waiting.front().second;
            waiting.pop_front();
            const QString key = resourceKey(url);
            if (cache) {
                if (const FetchedResource *kept = cache->find(key)) {
                    arrived(url, sheet, *kept);
                    continue;
                }
            }
            if (bytes > kWholePageLimit || fetched >= kWholePageMaxFiles) {
                FetchedResource left;
                left.tooLarge = bytes > kWholePageLimit;
                left.error = QStringLiteral("网页的文件太多");
                table.insert(key, left);
                continue;
            }
            ++running;
            ++fetched;
            std::weak_ptr<State> weak = weak_from_this();
            fetch(url, [weak, url, sheet](FetchedResource resource) {
                const std::shared_ptr<State> self = weak.lock();
                if (!self || !self->listening)
                    return;
                --self->running;
                if (self->cache)
                    self->cache->keep(resourceKey(url), resource);
                self->arrived(url, sheet, resource);
                self->pump();
            });
        }
        if (waiting.empty() && running == 0 && done) {
            const auto tell = std::exchange(done, nullptr);
            tell(std::move(table));
        }
    }
};

std::shared_ptr<ResourceGathering>
ResourceGathering::start(const WholePageCapture &capture, Fetch fetch,
                         std::shared_ptr<ResourceCache> cache,
                         std::function<void(ResourceTable)> done) {
    auto gathering = std::shared_ptr<ResourceGathering>(new ResourceGathering);
    auto state = std::make_shared<State>();
    gathering->m_state = state;
    state->page = capture.url;
    state->charset = capture.charset;
    state->fetch = std::move(fetch);
    state->cache = std::move(cache);
    state->done = std::move(done);
    for (const QUrl &url : capture.sheets)
        state->ask(url, true);
    for (const QUrl &url : capture.resources)
        state->ask(url, false);
    for (const CapturedStyle &style : capture.styles)
        state->askStyle(style.css, style.base);
    state->pump();
    return gathering;
}

ResourceGathering::~ResourceGathering() {
    if (m_state)
        m_state->listening = false;
}

} // namespace saving
