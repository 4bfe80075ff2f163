#pragma once

#include <QString>
#include <QStringList>

namespace history {

// What the user decided about the history: whether pages are recorded at all, and the sites
// kept out of it. Kept in the data folder's "history.ini": a line "record=0" when recording is
// off, and a line "exclude=HOST" for each site kept out (a site keeps its subdomains out too).
class HistorySettings {
public:
    // Reads the file at `path`; a missing or unreadable file (or lines it does not know) leave
    // recording on and no site kept out.
    explicit HistorySettings(QString path);

    bool recording() const { return m_recording; }
    // Each gives false, with `error` set in Chinese, when the file could not be written; the
    // choice holds for this run all the same.
    bool setRecording(bool on, QString *error = nullptr);
    bool exclude(const QString &host, QString *error = nullptr);

    // Whether a page at `address` may be recorded: recording is on and its host is not kept out.
    bool records(const QString &address) const;
    bool isExcluded(const QString &host) const;
    const QStringList &excluded() const { return m_excluded; }

private:
    bool write(QString *error) const;

    QString m_path;
    bool m_recording = true;
    QStringList m_excluded; // lower case
};

} // namespace history
