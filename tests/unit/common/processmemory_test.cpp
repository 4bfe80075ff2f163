#include "common/processmemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A process in a /proc folder of the test's own: its parent and, unless -1, its PSS in kB.
void addProcess(const QString &proc, int pid, const QByteArray &name, int parent, qint64 pssKb) {
    writeFile(QString("%1/%2/stat").arg(proc).arg(pid), QByteArray::number(pid) + " (" + name +
                                                            ") S " + QByteArray::number(parent) +
                                                            " 1 1 0 -1 4194560 100 0 0 0\n");
    if (pssKb >= 0)
        writeFile(QString("%1/%2/status").arg(proc).arg(pid),
                  "Name:\tx\nVmRSS:\t 9999 kB\nRssAnon:\t  " + QByteArray::number(pssKb / 2) +
                      " kB\nRssFile:\t 5 kB\n");
    if (pssKb >= 0)
        writeFile(QString("%1/%2/smaps_rollup").arg(proc).arg(pid),
                  "55d0-7ffe ---p 00000000 00:00 0  [rollup]\nRss:  9999 kB\nPss:  " +
                      QByteArray::number(pssKb) + " kB\nPss_Anon:  7 kB\nShared_Clean: 1 kB\n");
}

TEST(ProcessMemory, ReadsTheProportionalSizeAndTheParent) {
    EXPECT_EQ(common::pssFromSmapsRollup("Rss: 10 kB\nPss:   2048 kB\nPss_Anon: 5 kB\n"),
              2048 * 1024);
    // Only the line that is exactly "Pss:", wherever it is.
    EXPECT_EQ(common::pssFromSmapsRollup("Pss_Anon: 5 kB\nPss: 3 kB"), 3 * 1024);
    EXPECT_FALSE(common::pssFromSmapsRollup("Pss_Anon: 5 kB\n"));
    EXPECT_FALSE(common::pssFromSmapsRollup(""));
    // The command name may hold spaces and parentheses.
    EXPECT_EQ(common::parentFromStat("4242 (Web Content) (x)) S 17 4242 1 0"), 17);
    EXPECT_EQ(common::parentFromStat("1 (init) S 0 1 1"), 0);
    EXPECT_FALSE(common::parentFromStat("4242 (cut"));
    EXPECT_EQ(common::anonFromStatus("Name:\tx\nRssAnon:\t  120 kB\nRssFile: 3 kB\n"), 120 * 1024);
    EXPECT_FALSE(common::anonFromStatus("Name:\tkthreadd\n"));
}

TEST(ProcessMemory, SumsTheProcessAndAllItsDescendantsOnly) {
    QTemporaryDir proc;
    addProcess(proc.path(), 100, "lumaro", 1, 300000);
    addProcess(proc.path(), 101, "QtWebEngineProcess", 100, 40000);
    addProcess(proc.path(), 102, "QtWebEngine (renderer)", 101, 25000); // a grandchild
    addProcess(proc.path(), 103, "gone", 100, -1);                      // ended while read
    addProcess(proc.path(), 200, "other", 1, 999999);
    addProcess(proc.path(), 201, "other child", 200, 999999);
    QDir().mkpath(proc.path() + "/self"); // not a process
    const common::ProcessTreeMemory memory = common::processTreeMemory(100, proc.path());
    EXPECT_EQ(memory.pssBytes, (300000 + 40000 + 25000) * qint64(1024));
    EXPECT_EQ(memory.rootPssBytes, 300000 * qint64(1024));
    EXPECT_EQ(memory.processes, 3);
    EXPECT_EQ(memory.anonBytes, (150000 + 20000 + 12500) * qint64(1024));
    EXPECT_EQ(common::processTreeMemory(555, proc.path()).processes, 0);
    // The cheap reading: the anonymous memory alone, no page walk.
    const common::ProcessTreeMemory quick =
        common::processTreeMemory(100, proc.path(), common::MemoryDetail::AnonymousOnly);
    EXPECT_EQ(quick.anonBytes, memory.anonBytes);
    EXPECT_EQ(quick.pssBytes, 0);
    EXPECT_EQ(quick.processes, 3);

    writeFile(proc.path() + "/meminfo", "MemTotal: 24000000 kB\nMemFree: 1 kB\n"
                                        "MemAvailable:   2000000 kB\n");
    EXPECT_EQ(common::availableMemoryBytes(proc.path()), 2000000 * qint64(1024));
}

TEST(ProcessMemory, ReadsThisProcessAndAChildOfItOnThisMachine) {
    QProcess child;
    child.start("sleep", {"5"});
    ASSERT_TRUE(child.waitForStarted());
    const common::ProcessTreeMemory memory =
        common::processTreeMemory(QCoreApplication::applicationPid());
    EXPECT_GE(memory.processes, 2);
    EXPECT_GT(memory.rootPssBytes, 1024 * 1024);
    EXPECT_GT(memory.pssBytes, memory.rootPssBytes);
    EXPECT_GT(memory.anonBytes, 0);
    EXPECT_GT(common::physicalMemoryBytes(), 0);
    EXPECT_GT(common::availableMemoryBytes(), 0);
    child.kill();
    child.waitForFinished();
}

} // namespace
