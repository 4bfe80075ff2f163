#include "processmemory.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <unistd.h>

namespace common {

namespace {

QByteArray readProcFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll(); // /proc files tell no size: read to the end
}

// The number after `key` on its line ("Key:   123 kB"), in kB.
std::optional<qint64> kilobytesAfter(QByteArrayView text, QByteArrayView key) {
    qsizetype at = 0;
    while ((at = text.indexOf(key, at)) >= 0) {
        if (at == 0 || text.at(at - 1) == '\n')
            break;
        at += key.size();
    }
    if (at < 0)
        return std::nullopt;
    qsizetype end = text.indexOf('\n', at);
    if (end < 0)
        end = text.size();
    QByteArray value = text.sliced(at + key.size(), end - at - key.size()).toByteArray().trimmed();
    if (value.endsWith(" kB"))
        value.chop(3);
    bool ok = false;
    const qint64 kb = value.trimmed().toLongLong(&ok);
    if (!ok || kb < 0)
        return std::nullopt;
    return kb;
}

} // namespace

std::optional<qint64> pssFromSmapsRollup(QByteArrayView text) {
    const std::optional<qint64> kb = kilobytesAfter(text, "Pss:");
    return kb ? std::optional<qint64>(*kb * 1024) : std::nullopt;
}

std::optional<qint64> anonFromStatus(QByteArrayView text) {
    const std::optional<qint64> kb = kilobytesAfter(text, "RssAnon:");
    return kb ? std::optional<qint64>(*kb * 1024) : std::nullopt;
}

std::optional<qint64> parentFromStat(QByteArrayView text) {
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0 || close + 2 >= text.size())
        return std::nullopt;
    // After the name: " S PPID ..." (state, then the parent).
    const QList<QByteArray> fields = text.sliced(close + 2).toByteArray().split(' ');
    if (fields.size() < 2)
        return std::nullopt;
    bool ok = false;
    const qint64 parent = fields.at(1).toLongLong(&ok);
    return ok ? std::optional<qint64>(parent) : std::nullopt;
}

ProcessTreeMemory processTreeMemory(qint64 rootPid, const QString &procFolder,
                                    MemoryDetail detail) {
    QHash<qint64, qint64> parentOf;
    const QStringList entries = QDir(procFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        if (const std::optional<qint64> parent =
                parentFromStat(readProcFile(procFolder + u'/' + entry + QStringLiteral("/stat"))))
            parentOf.insert(pid, *parent);
    }
    ProcessTreeMemory memory;
    for (auto it = parentOf.constBegin(); it != parentOf.constEnd(); ++it) {
        qint64 p = it.key();
        // Up the tree to the root, or to the top; the step count guards against a cycle in a
        // table read while processes came and went.
        for (int steps = 0; p > 0 && p != rootPid && steps < 64; ++steps)
            p = parentOf.value(p, 0);
        if (p != rootPid)
            continue;
        const QString folder = QStringLiteral("%1/%2/").arg(procFolder).arg(it.key());
        const std::optional<qint64> anon =
            anonFromStatus(readProcFile(folder + QStringLiteral("status")));
        if (!anon)
            continue; // ended meanwhile, or not ours to read
        if (detail == MemoryDetail::Proportional) {
            const std::optional<qint64> pss =
                pssFromSmapsRollup(readProcFile(folder + QStringLiteral("smaps_rollup")));
            if (!pss)
                continue;
            memory.pssBytes += *pss;
            if (it.key() == rootPid)
                memory.rootPssBytes = *pss;
        }
        memory.anonBytes += *anon;
        ++memory.processes;
    }
    return memory;
}

qint64 physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : 0;
}

qint64 availableMemoryBytes(const QString &procFolder) {
    const std::optional<qint64> kb =
        kilobytesAfter(readProcFile(procFolder + QStringLiteral("/meminfo")), "MemAvailable:");
    return kb ? *kb * 1024 : 0;
}

} // namespace common
