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
    int processes = 0;       // how many were read
};

// The "Pss:" line of /proc/PID/smaps_rollup, in bytes. Example: "Pss:  2048 kB" gives 2097152.
std::optional<qint64> pssFromSmapsRollup(QByteArrayView text);
// The parent's process id from /proc/PID/stat, whose second field (the command name, in
// parentheses) may itself hold spaces and parentheses.
std::optional<qint64> parentFromStat(QByteArrayView text);

// The memory of `rootPid` and all its descendants; `procFolder` is "/proc" but for tests.
// Processes that end while they are read are left out. Costs about a millisecond for each
// process: call it away from the window's thread when there are many.
ProcessTreeMemory processTreeMemory(qint64 rootPid, const QString &procFolder = "/proc");

// The machine's memory, and the part of it the kernel could hand out now (MemAvailable);
// 0 when unknown.
qint64 physicalMemoryBytes();
qint64 availableMemoryBytes(const QString &procFolder = "/proc");

} // namespace common
