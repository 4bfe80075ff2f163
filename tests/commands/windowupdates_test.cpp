#include "shell/mainwindow.h"
#include "shell/windowupdates.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"
#include "support/waitfor.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Shown = QList<QPair<QString, QString>>;

TEST(WindowUpdatesTest, ABurstShowsItsFirstTextAtOnceAndItsLastTextOnce) {
    Shown shown;
    shell::WindowUpdates updates([&](const QString &k, const QString &t) { shown.append({k, t}); });
    for (int i = 0; i < 100; ++i)
        updates.set("s2", QString::number(i));
    EXPECT_EQ(updates.text("s2"), "99");
    EXPECT_EQ(shown, Shown({{"s2", "0"}}));
    testing_support::waitFor([&] { return shown.size() > 1; }, 2000);
    QTest::qWait(300);
    EXPECT_EQ(shown, Shown({{"s2", "0"}, {"s2", "99"}}));
    updates.set("s2", "quiet again"); // an interval passed without a change: shown at once
    EXPECT_EQ(shown.last(), qMakePair(QString("s2"), QString("quiet again")));
}

TEST(WindowUpdatesTest, KeysAreMergedApartAndADroppedChangeIsNotShown) {
    Shown shown;
    shell::WindowUpdates updates([&](const QString &k, const QString &t) { shown.append({k, t}); });
    updates.set("s1", "a");
    updates.set("s2", "b");
    updates.set("address", "http://a.example/");
    updates.set("s1", "c");
    updates.drop("address");
    QTest::qWait(250);
    EXPECT_EQ(shown, Shown({{"s1", "a"}, {"s2", "b"}, {"s1", "c"}}));
    EXPECT_EQ(updates.text("address"), "http://a.example/");
}

TEST(WindowUpdatesTest, ASteadyStreamIsShownAboutTenTimesASecond) {
    int shows = 0;
    shell::WindowUpdates updates([&](const QString &, const QString &) { ++shows; });
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; clock.elapsed() < 600; ++i) {
        updates.set("s2", QString::number(i));
        QTest::qWait(5);
    }
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(shows, elapsed / 100 + 2);
    EXPECT_GE(shows, 2); // and it is shown meanwhile, not only when the stream ends
}

// Pages finishing one after another in the shown tab: the status panel, the address box and
// the caption are repainted a few times, and end with the last page.
TEST(WindowUpdatesTest, PagesFinishingInAFloodRepaintTheWindowAFewTimes) {
    QTemporaryDir dir;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    shell::MainWindow window(common::ProgramFolder(dir.path()), factory, &dialogs);
    window.resize(800, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(250);
    auto *s2 = window.findChild<QLabel *>("s2");
    ASSERT_NE(s2, nullptr);
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    s2->installEventFilter(&counter);
    int addressSets = 0, captionSets = 0;
    QObject::connect(window.addressBox().lineEdit(), &QLineEdit::textChanged,
                     [&] { ++addressSets; });
    QObject::connect(&window, &QWidget::windowTitleChanged, [&] { ++captionSets; });

    auto *shown = factory.created[0];
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 100; ++i) {
        shown->pageUrl = QUrl(QString("http://l.example/%1").arg(i));
        shown->pageTitle = QString("第%1页").arg(i);
        emit shown->documentComplete(shown->pageUrl, true);
        QCoreApplication::processEvents();
    }
    const qint64 elapsed = clock.elapsed();
    const QString last = QString::fromUtf8("http://l.example/99下载完成");
    EXPECT_EQ(window.panelText("s2"), last); // commands read the latest text at once
    EXPECT_LE(counter.paints, elapsed / 100 + 3);
    EXPECT_LE(addressSets, elapsed / 100 + 2);
    EXPECT_LE(captionSets, elapsed / 100 + 2);
    testing_support::waitFor([&] { return s2->text() == last; }, 2000);
    EXPECT_EQ(s2->text(), last);
    EXPECT_EQ(window.addressBox().currentText(), "http://l.example/99");
    EXPECT_TRUE(window.windowTitle().endsWith(QString::fromUtf8("第99页")));
}

} // namespace
