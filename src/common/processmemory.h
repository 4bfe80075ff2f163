#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// The memory a process and everything it started hold, read from Linux's /proc: the
// proportional set size (PSS), where a page shared by n processes counts 1/n in each, so the
// sum over processes is what they take from the machine together.
namespace common {

struct ProcessTreeMemory {
    qint64 pssBytes = 0;     // summed over the process and its descendants
    qint64 rootPssBytes = 0; // the process's own share
    // The anonymous resident memory (heaps, scripts), summed: counters the kernel keeps, so
    // thirty times cheaper to read than the PSS, but pages a process shares with the one that
    // forked it count in both.
    qint64 anonBytes = 0;
    int processes = 0; // how many were read
};

// What processTreeMemory reads: the PSS as well (a walk over every page of every process), or
// only the anonymous resident memory.
enum class MemoryDetail { Proportional, AnonymousOnly };

// The "Pss:" line of /proc/PID/smaps_rollup, in bytes. Example: "Pss:  2048 kB" gives 2097152.
std::optional<qint64> pssFromSmapsRollup(QByteArrayView text);
// The "RssAnon:" line of /proc/PID/status, in bytes.
std::optional<qint64> anonFromStatus(QByteArrayView text);
// The parent's process id from /proc/PID/stat, whose second field (the command name, in
// parentheses) may itself hold spaces and parentheses.
std::optional<qint64> parentFromStat(QByteArrayView text);

// The memory of `rootPid` and all its descendants; `procFolder` is "/proc" but for tests.
// Processes that end while they are read are left out. The PSS costs about a millisecond for
// each process: read it away from the window's thread when there are many.
ProcessTreeMemory processTreeMemory(qint64 rootPid, const QString &procFolder = "/proc",
                                    MemoryDetail detail = MemoryDetail::Proportional);

// The machine's memory, and the part of it the kernel could hand out now (MemAvailable);
// 0 when unknown.
qint64 physicalMemoryBytes();
qint64 availableMemoryBytes(const QString &procFolder = "/proc");

} // namespace common
