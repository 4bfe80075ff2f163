#include "documentsahead.h"

namespace fulltext {

DocumentsAhead::DocumentsAhead(QList<File> files, int ahead)
    : m_files(std::move(files)), m_ahead(size_t(qMax(1, ahead))) {
    m_thread = std::thread([this] { run(); });
}

DocumentsAhead::~DocumentsAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_taken.notify_all();
    m_thread.join();
}

void DocumentsAhead::run() {
    DocumentMaker maker;
    for (const File &file : m_files) {
        std::optional<Xapian::Document> document;
        try {
            document = maker.savedFile(file.path, file.id, file.mtime, file.size, file.source);
        } catch (const Xapian::Error &) {
            // Taken as a file that cannot be read; the index itself is not touched here.
        }
        std::unique_lock lock(m_mutex);
        m_taken.wait(lock, [this] { return m_stop || m_ready.size() < m_ahead; });
        if (m_stop)
            return;
        m_ready.push_back(std::move(document));
        document.reset(); // no handle of it is left on this thread
        lock.unlock();
        m_made.notify_one();
    }
}

std::optional<Xapian::Document> DocumentsAhead::next() {
    std::unique_lock lock(m_mutex);
    m_made.wait(lock, [this] { return !m_ready.empty(); });
    std::optional<Xapian::Document> document = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_taken.notify_one();
    return document;
}

} // namespace fulltext
