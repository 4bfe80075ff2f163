#include "saving/batchoutcome.h"

#include <gtest/gtest.h>

namespace {

using saving::BatchOutcome;

TEST(BatchOutcomeTest, TheLineTellsWhatWasDoneSkippedFailedAndLeft) {
    BatchOutcome all;
    all.done = 4;
    EXPECT_EQ(saving::batchSummaryLine(all, "/s"), "所有打开网页已经保存到/s");
    EXPECT_TRUE(saving::batchSummaryDetails(all).isEmpty());

    BatchOutcome mixed;
    mixed.done = 3;
    mixed.skipped = {"a.htm"};
    mixed.failed = {"/s/b.htm（磁盘已满）"};
    mixed.noName = {"http://h/3.htm", "http://h/4.htm"};
    EXPECT_EQ(saving::batchSummaryLine(mixed, "/s"),
              "已保存3个网页到/s，跳过1个，失败1个，2个没有找到文件名");
    EXPECT_EQ(saving::batchSummaryDetails(mixed),
              "下面这些网页没有保存成功，其他网页已经保存：\n/s/b.htm（磁盘已满）\n\n"
              "下面这些网页没有找到文件名，没有保存：\nhttp://h/3.htm\nhttp://h/4.htm\n\n"
              "下面这些文件已经存在，没有覆盖：\na.htm");

    BatchOutcome stopped;
    stopped.done = 0;
    stopped.stopped = true;
    stopped.notSaved = {"http://h/5.htm", "http://h/6.htm"};
    EXPECT_EQ(saving::batchSummaryLine(stopped, "/s"), "已停止：已保存0个网页到/s，2个没有保存");
    EXPECT_TRUE(saving::batchSummaryDetails(stopped).endsWith("http://h/5.htm\nhttp://h/6.htm"));
}

} // namespace
