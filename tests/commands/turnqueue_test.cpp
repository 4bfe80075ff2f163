#include "common/turnqueue.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using common::TurnQueue;

// Two at a time, in order; an ended job, a job that ends inside its own start and a job whose
// owner is gone each give their place to the next; 停止 drops the rest and the next job
// starts a new batch.
TEST(TurnQueueTest, JobsTakeTurnsInOrderAndCountPerBatch) {
    TurnQueue queue(2, 60 * 1000);
    QObject owner;
    auto gone = std::make_unique<QObject>();
    QList<int> started;
    QList<TurnQueue::JobId> ids;
    const auto job = [&](int n, QObject *of = nullptr) {
        ids.append(queue.add(of ? of : &owner, [&, n] { started.append(n); }));
    };
    job(1);
    job(2);
    job(3, gone.get());
    const TurnQueue::JobId fourth = queue.nextJob();
    queue.add(&owner, [&] {
        started.append(4);
        queue.end(fourth, false); // over at once: the fifth starts in the same turn
    });
    job(5);
    job(6);
    job(7);
    EXPECT_EQ(started, (QList<int>{1, 2}));
    gone.reset();
    queue.end(ids[0]);
    queue.end(ids[0]); // twice: nothing more
    EXPECT_EQ(started, (QList<int>{1, 2, 4, 5}));
    EXPECT_EQ(queue.running(), 2);
    EXPECT_EQ(queue.failed(), 1);

    QSignalSpy progress(&queue, &TurnQueue::progressChanged);
    EXPECT_EQ(queue.stopWaiting().size(), 2);
    EXPECT_EQ(progress.takeLast(), (QVariantList{3, 7, 2, 0}));
    queue.end(ids[1]);
    queue.end(ids[3]); // the fifth
    EXPECT_EQ(progress.takeLast(), (QVariantList{5, 7, 0, 0}));

    queue.add(&owner, [] {});
    EXPECT_EQ(progress.takeLast(), (QVariantList{0, 1, 1, 0}));
    EXPECT_EQ(queue.failed(), 0);
}

// A job that never ends gives up its place after the time limit.
TEST(TurnQueueTest, AJobThatNeverEndsGivesUpItsPlace) {
    TurnQueue queue(1, 20);
    QObject owner;
    bool secondStarted = false;
    queue.add(&owner, [] {});
    queue.add(&owner, [&] { secondStarted = true; });
    EXPECT_FALSE(secondStarted);
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondStarted; }));
}

} // namespace
