#include "seenrecord.h"

#include "common/linkaddress.h"
#include "common/safewrite.h"

#include <QFile>

namespace links {

namespace {

// A field may hold no tab or line break: they would end it.
QByteArray field(const QString &text) {
    QString clean = text;
    for (QChar &c : clean) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return clean.toUtf8();
}

// Records are looked up by the address as the engine writes it, so that "http://0x7f.1/"
// and "http://127.0.0.1/" are one address.
QString addressKey(QByteArrayView address) {
    return common::comparableAddress(QString::fromUtf8(address));
}

QString savedKey(const QString &addressKey, QByteArrayView folder) {
    return addressKey + u'\t' + QString::fromUtf8(folder);
}

} // namespace

std::optional<SeenLine> readSeenLine(QByteArrayView line) {
    QByteArrayView fields[5];
    int count = 0;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\t') {
            if (count == 5)
                return std::nullopt;
            fields[count++] = line.sliced(from, i - from);
            from = i + 1;
        }
    }
    if (count < 3)
        return std::nullopt;
    bool ok = false;
    const qint64 time = fields[1].toLongLong(&ok);
    if (!ok || time < 0 || fields[2].isEmpty())
        return std::nullopt;
    if (fields[0] == "O" && count == 3)
        return SeenLine{false, time, fields[2], {}, {}};
    if (fields[0] == "S" && count == 5 && !fields[4].isEmpty())
        return SeenLine{true, time, fields[2], fields[3], fields[4]};
    return std::nullopt;
}

bool SeenRecord::readLine(QByteArrayView line) {
    const auto read = readSeenLine(line);
    if (!read)
        return false;
    const QString address = addressKey(read->address);
    m_seen[address] = read->time;
    if (read->saved)
        m_saved[savedKey(address, read->folder)] = {QString::fromUtf8(read->fileName), read->time};
    ++m_records;
    return true;
}

bool SeenRecord::load() {
    m_records = 0;
    m_seen.clear();
    m_saved.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    m_seen.reserve(bytes.count('\n'));
    QList<QByteArrayView> kept;
    bool clean = bytes.isEmpty() || bytes.endsWith('\n');
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            break; // cut short: dropped
        const QByteArrayView line(bytes.constData() + from, end - from);
        if (readLine(line))
            kept.append(line);
        else
            clean = false;
        from = end + 1;
    }
    if (clean && m_records <= m_limit)
        return true;
    QList<QByteArray> lines;
    lines.reserve(kept.size());
    for (const QByteArrayView line : kept)
        lines.append(line.toByteArray());
    return rewrite(lines);
}

// Keeps the newest records when there are too many, and writes the file anew.
bool SeenRecord::rewrite(const QList<QByteArray> &lines) {
    QList<QByteArray> kept = lines;
    if (kept.size() > m_limit)
        kept = kept.mid(kept.size() - m_limit * 3 / 4);
    QByteArray bytes;
    for (const QByteArray &line : kept)
        bytes += line + '\n';
    if (kept.size() != lines.size()) {
        m_records = 0;
        m_seen.clear();
        m_saved.clear();
        for (const QByteArray &line : kept)
            readLine(line);
    }
    return common::replaceFileBytes(m_path, bytes);
}

// The records are already counted in when their lines come here.
bool SeenRecord::append(const QByteArray &lines) {
    if (m_records > m_limit) {
        QFile file(m_path);
        QByteArray old;
        if (file.open(QIODevice::ReadOnly))
            old = file.readAll();
        QList<QByteArray> all = (old + lines).split('\n');
        all.removeAll(QByteArray());
        return rewrite(all);
    }
    return common::appendFileBytes(m_path, [&](const QByteArray &) { return lines; });
}

bool SeenRecord::seen(const QString &address) const {
    return m_seen.contains(addressKey(field(address)));
}

std::optional<SeenRecord::Saved> SeenRecord::savedIn(const QString &address,
                                                     const QString &folder) const {
    const auto it = m_saved.constFind(savedKey(addressKey(field(address)), field(folder)));
    if (it == m_saved.constEnd())
        return std::nullopt;
    return *it;
}

bool SeenRecord::recordOpened(const QStringList &addresses, qint64 time) {
    QByteArray lines;
    int count = 0;
    for (const QString &address : addresses) {
        const QByteArray line = "O\t" + QByteArray::number(time) + '\t' + field(address);
        if (address.isEmpty() || !readLine(line))
            continue;
        lines += line + '\n';
        ++count;
    }
    return count == 0 || append(lines);
}

bool SeenRecord::recordSaved(const QString &address, const QString &folder, const QString &fileName,
                             qint64 time) {
    const QByteArray line = "S\t" + QByteArray::number(time) + '\t' + field(address) + '\t' +
                            field(folder) + '\t' + field(fileName);
    if (!readLine(line))
        return false;
    return append(line + '\n');
}

} // namespace links
