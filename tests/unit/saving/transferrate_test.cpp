#include "saving/transferrate.h"

#include <gtest/gtest.h>

namespace {

// The speed comes from a second's worth of samples and is smoothed; a restart forgets the
// last sample, not the speed.
TEST(TransferRateTest, SpeedFromSecondsOfSamples) {
    saving::TransferRate rate;
    rate.add(0, 0);
    rate.add(500, 400'000); // under a second: merged with the next
    EXPECT_EQ(rate.bytesPerSecond(), 0);
    rate.add(1000, 1'000'000);
    EXPECT_DOUBLE_EQ(rate.bytesPerSecond(), 1'000'000);
    rate.add(2000, 1'500'000); // a slow second moves the speed only part of the way
    EXPECT_DOUBLE_EQ(rate.bytesPerSecond(), 0.3 * 500'000 + 0.7 * 1'000'000);
    rate.restart();
    rate.add(60'000, 1'600'000); // after a pause: no minute-long second
    EXPECT_DOUBLE_EQ(rate.bytesPerSecond(), 0.3 * 500'000 + 0.7 * 1'000'000);
}

TEST(TransferRateTest, ProgressTexts) {
    const struct {
        qint64 received, total;
        double speed;
        const char *text;
    } rows[] = {
        {1000, 4000, 0, "25%"},
        {1 << 20, 4 << 20, 1 << 20, "25%，1.0 MB/秒，还剩 3 秒"},
        {1 << 20, 200 << 20, 512 << 10, "0%，512.0 KB/秒，还剩 6 分 38 秒"},
        {3 << 20, -1, 1000, "3.0 MB，1000 字节/秒"},
        {4000, 4000, 1000, "100%，1000 字节/秒"},
        {100, 7200 * 1000 + 100, 1000, "0%，1000 字节/秒，还剩 2 小时 0 分"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(saving::progressText(row.received, row.total, row.speed).toStdString(), row.text)
            << row.received << "/" << row.total;
}

} // namespace
