#include "shell/startuptrace.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Each stage is a line of its own, in order, timed from the process's start.
TEST(StartupTraceTest, StagesAreAppendedWithTheirTimeSinceTheProcessStarted) {
    QTemporaryDir dir;
    const QString path = dir.filePath("start.txt");
    qputenv("LUMARO_STARTUP_TRACE", QFile::encodeName(path));
    shell::startup::mark("first");
    shell::startup::mark("second stage");
    qunsetenv("LUMARO_STARTUP_TRACE");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    const QList<QByteArray> first = lines[0].split('\t');
    const QList<QByteArray> second = lines[1].split('\t');
    EXPECT_EQ(first.value(1), "first");
    EXPECT_EQ(second.value(1), "second stage");
    bool ok = false;
    const double at = first.value(0).toDouble(&ok);
    ASSERT_TRUE(ok);
    EXPECT_GT(at, 0); // the tests' own start came before
    EXPECT_GE(second.value(0).toDouble(), at);
}

} // namespace
