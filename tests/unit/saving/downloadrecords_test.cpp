#include "saving/downloadrecords.h"

#include <gtest/gtest.h>

namespace {

using saving::DownloadRecord;
using State = DownloadRecord::State;

TEST(DownloadRecords, WrittenRecordsReadBackAndTheFileIsNotTrusted) {
    const QDateTime time = QDateTime::fromString("2026-12-08T10:00:00", Qt::ISODate);
    const QList<DownloadRecord> written = {
        {QUrl("http://a.example/文件.zip"), "/home/u/文件.zip", 1234, State::Done, time, {}},
        {QUrl("https://b.example/b.pdf"), "/home/u/b.pdf", -1, State::Failed, time, "断开"},
    };
    const QList<DownloadRecord> read =
        saving::readDownloadRecords(saving::writeDownloadRecords(written));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].url, written[0].url);
    EXPECT_EQ(read[0].path, written[0].path);
    EXPECT_EQ(read[0].bytes, 1234);
    EXPECT_EQ(read[0].state, State::Done);
    EXPECT_EQ(read[0].time, time);
    EXPECT_EQ(read[1].error, "断开");

    struct Case {
        const char *json;
        int records;
    };
    for (const Case &c : std::initializer_list<Case>{
             {"", 0},
             {"{\"downloads\": 5}", 0},
             {"{\"downloads\": [{\"url\": \"javascript:alert(1)\", \"path\": \"/x\"}]}", 0},
             {"{\"downloads\": [{\"url\": \"http://a.example/x\", \"path\": \"x\"}]}", 0},
             {"{\"downloads\": [{\"url\": \"http://a.example/x\", \"path\": \"/x\"}, 7]}", 1},
         }) {
        EXPECT_EQ(saving::readDownloadRecords(c.json).size(), c.records) << c.json;
    }
    // A download that was running when the list was written never ended.
    const QList<DownloadRecord> running = saving::readDownloadRecords(
        "{\"downloads\": [{\"url\": \"http://a.example/x\", \"path\": \"/x\", "
        "\"state\": \"running\"}]}");
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].state, State::Failed);
}

TEST(DownloadRecords, OnlyTheNewestAreKept) {
    QList<DownloadRecord> many;
    for (int i = 0; i < saving::kMaxDownloadRecords + 5; ++i)
        many.append({QUrl(QString("http://a.example/%1").arg(i)), "/d/f", 1, State::Done, {}, {}});
    const QList<DownloadRecord> kept =
        saving::readDownloadRecords(saving::writeDownloadRecords(many));
    ASSERT_EQ(kept.size(), saving::kMaxDownloadRecords);
    EXPECT_EQ(kept.first().url, QUrl("http://a.example/5"));
}

} // namespace
