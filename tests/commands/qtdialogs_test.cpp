// The real Qt questions: each belongs to the main window and is raised over it, also when a
// hand-over from another start raises the main window while the question is open.
#include "shell/qtdialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(QtDialogsTest, AQuestionStaysOverTheMainWindowThatOwnsIt) {
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    shell::QtDialogs dialogs(&owner);
    bool ownedByTheWindow = false;
    bool activeAtOnce = false;
    bool activeAfterRaise = false;
    // Looks at the question from inside its own loop, as the user sees it.
    QTimer look;
    int step = 0;
    QObject::connect(&look, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (step == 0 && QApplication::activeWindow() == modal) {
            ownedByTheWindow = modal->parentWidget() == &owner;
            activeAtOnce = true;
            // A hand-over raises the main window, then what it waits on.
            owner.raise();
            owner.activateWindow();
            shell::raiseOpenQuestion();
            step = 1;
        } else if (step == 1 && QApplication::activeWindow() == modal) {
            activeAfterRaise = true;
            static_cast<QMessageBox *>(modal)->reject();
            step = 2;
        }
    });
    look.start(10);
    QTimer::singleShot(20000, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close(); // never hang the suite
    });
    dialogs.message(QString::fromUtf8("提示"), QString::fromUtf8("问题"),
                    commands::Dialogs::Buttons::OkCancel);
    look.stop();
    EXPECT_TRUE(ownedByTheWindow);
    EXPECT_TRUE(activeAtOnce);
    EXPECT_TRUE(activeAfterRaise);
}

} // namespace
