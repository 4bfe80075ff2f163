#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace links {

// The addresses the program has opened by its batch commands and saved (file, time, save
// folder), kept in a small append-only file beside the user's data. One UTF-8 line a record,
// fields separated by tabs:
//   O <seconds since 1970> <address>
//   S <seconds since 1970> <address> <save folder> <file name>
// A line that does not read so (garbage, a record cut short by a crash) is dropped on load
// and the file rebuilt without it. The file holds at most `limit` records: past that, the
// newest three quarters are kept.
// One line of the file as read: an "O" record (opened) or an "S" record (saved, with its
// folder and file name). The fields are views into the line.
struct SeenLine {
    bool saved = false;
    qint64 time = 0;
    QByteArrayView address;
    QByteArrayView folder;
    QByteArrayView fileName;
};

// Reads one line (without its line break); none when it does not read as a record.
std::optional<SeenLine> readSeenLine(QByteArrayView line);

class SeenRecord {
public:
    struct Saved {
        QString fileName;
        qint64 time = 0;
    };

    explicit SeenRecord(QString path, int limit = 100000)
        : m_path(std::move(path)), m_limit(limit) {}

    // Reads the file (a missing one is empty). False when it could not be read or had to be
    // rebuilt and could not be written.
    bool load();

    // Whether `address` was opened by a batch or saved before. Addresses compare as the engine
    // writes them (comparableAddress): "http://0x7f.1/" was seen when "http://127.0.0.1/" was.
    bool seen(const QString &address) const;
    // The file `address` was last saved as in `folder`, if it was.
    std::optional<Saved> savedIn(const QString &address, const QString &folder) const;

    // Adds records; each call appends to the file in one atomic replacement.
    bool recordOpened(const QStringList &addresses, qint64 time);
    bool recordSaved(const QString &address, const QString &folder, const QString &fileName,
                     qint64 time);

    int size() const { return m_records; }

private:
    bool readLine(QByteArrayView line);
    bool append(const QByteArray &lines);
    bool rewrite(const QList<QByteArray> &lines);

    QString m_path;
    int m_limit;
    int m_records = 0;
    QHash<QString, qint64> m_seen; // comparable address -> last time opened or saved
    QHash<QString, Saved> m_saved; // comparable address + '\t' + folder -> file
};

} // namespace links
