#pragma once

#include "wholepage.h"

#include <functional>
#include <memory>

namespace saving {

// Files fetched for earlier pages of one batch, kept while they fit in `budgetBytes`: the
// style sheets, fonts and logos a site's pages share are fetched once.
class ResourceCache {
public:
    explicit ResourceCache(qint64 budgetBytes = qint64(64) << 20) : m_budget(budgetBytes) {}
    const FetchedResource *find(const QString &key) const;
    void keep(const QString &key, const FetchedResource &resource);

private:
    qint64 m_budget;
    qint64 m_used = 0;
    QHash<QString, FetchedResource> m_kept;
};

// Fetches what a page's file needs: its pictures and linked sheets, then what the sheets and
// the page's own style text refer to (imports, backgrounds, fonts), each file once, a few at a
// time. `fetch` answers each address later, exactly once. `done` gets every file asked for,
// each fetched, failed or left as too large, and is called once, from an answer of `fetch` (or
// at once when there is nothing to fetch). Dropping the returned handle lets answers still on
// their way go unheard.
class ResourceGathering {
public:
    using Fetch = std::function<void(const QUrl &, std::function<void(FetchedResource)>)>;
    static std::shared_ptr<ResourceGathering> start(const WholePageCapture &capture, Fetch fetch,
                                                    std::shared_ptr<ResourceCache> cache,
                                                    std::function<void(ResourceTable)> done);
    ~ResourceGathering();

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace saving
