#pragma once

#include "documentmaker.h"

#include <QList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace fulltext {

// Reads saved files and makes their documents on a thread of its own, a few files ahead of
// the thread that writes them into the index: turning a page into terms takes about as long
// as Xapian takes to write them, and a machine has a second core for it.
// Example: DocumentsAhead ahead(files); for (i in files) write(ahead.next());
class DocumentsAhead {
public:
    struct File {
        QString path;
        std::string id;
        qint64 mtime = 0;
        qint64 size = 0;
        std::optional<SavedSource> source;
    };

    explicit DocumentsAhead(QList<File> files, int ahead = 8);
    // Stops the thread, also in the middle of the list.
    ~DocumentsAhead();
    DocumentsAhead(const DocumentsAhead &) = delete;
    DocumentsAhead &operator=(const DocumentsAhead &) = delete;

    // The next file's document, in the list's order, once made: nothing when the file could
    // not be read. To be asked at most once for each file.
    std::optional<Xapian::Document> next();

private:
    void run();

    const QList<File> m_files;
    const size_t m_ahead;
    std::mutex m_mutex;
    std::condition_variable m_made;  // a document is ready
    std::condition_variable m_taken; // there is room for one more
    std::deque<std::optional<Xapian::Document>> m_ready;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace fulltext
