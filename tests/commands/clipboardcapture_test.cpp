#include "commands/save/clipboardcapture.h"
#include "commands/savesteps.h"
#include "common/ansifile.h"
#include "shell/systemclipboard.h"
#include "support/commandfixture.h"
#include "support/waitfor.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using commands::Dialogs;

class ClipboardCaptureTest : public testing_support::CommandFixture {
protected:
    ClipboardCaptureTest() {
        clipboard.setChangeListener([this] { capture.clipboardChanged(); });
        capture.setChangeCapture(true);
    }
    ~ClipboardCaptureTest() override { clipboard.setChangeListener({}); }

    QString saved(const QString &name) {
        return common::readTextFile(QDir(saveDir.path()).filePath(name)).text;
    }
    QStringList savedFiles() {
        return QDir(saveDir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    bool busy = false;
    commands::ClipboardCapture capture{context, folder.filePath("savetemplate/savetext.htm"),
                                       [this] { return busy; }};
};

TEST_F(ClipboardCaptureTest, EachCopyIsSavedWhenTheClipboardSignalsIt) {
    clipboard.setText("abc");
    EXPECT_EQ(saved("abc.htm"), "abc\r\n");
    EXPECT_TRUE(clipboard.text().isEmpty());
    clipboard.setText("..."); // cleans to nothing: a dated name, never the hidden ".htm"
    ASSERT_EQ(savedFiles().size(), 2);
    EXPECT_FALSE(savedFiles().contains(".htm"));
    EXPECT_TRUE(savedFiles()[1].startsWith(QString::fromUtf8("无标题-")));
    capture.setChangeCapture(false);
    clipboard.setText("not captured");
    EXPECT_EQ(savedFiles().size(), 2);
}

TEST_F(ClipboardCaptureTest, TheProgramsOwnSelectionReadIsNotACopy) {
    page()->selection = "selected words";
    EXPECT_EQ(commands::SaveSteps(context).copySelectionText(page()), "selected words");
    capture.resume();
    EXPECT_TRUE(savedFiles().isEmpty());
    EXPECT_EQ(clipboard.text(), "selected words");
}

TEST_F(ClipboardCaptureTest, TheOverwriteQuestionIsAskedOncePerText) {
    clipboard.setText("abc");
    dialogs.answers = {Dialogs::Answer::No};
    clipboard.setText("ABC");
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(clipboard.text(), "ABC"); // not saved: left to the user
    clipboard.setText("xyz");
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(saved("abc.htm"), "abc\r\n");
    EXPECT_EQ(saved("xyz.htm"), "xyz\r\n");
}

TEST_F(ClipboardCaptureTest, CopiesMadeWhileBusyOrAskedWaitAndKeepTheirOrder) {
    // Two copies with the same file name: the one saved last is the one copied last.
    const QString same = QString(15, QChar(u'章'));
    busy = true;
    clipboard.setText(same + "-1");
    clipboard.setText(same + "-2");
    EXPECT_TRUE(savedFiles().isEmpty());
    busy = false;
    capture.resume();
    EXPECT_EQ(saved(same + ".htm"), same + "-2\r\n");

    // Copies made while the overwrite question is open come after the text it asks about.
    dialogs.whileMessage = [this, same] {
        dialogs.whileMessage = nullptr;
        clipboard.setText("later one");
        clipboard.setText(same + "-4");
    };
    clipboard.setText(same + "-3");
    EXPECT_EQ(dialogs.shown.size(), 3); // for -2, -3 and -4
    EXPECT_EQ(saved(same + ".htm"), same + "-4\r\n");
    EXPECT_EQ(saved("laterone.htm"), "later one\r\n");
}

TEST_F(ClipboardCaptureTest, AFailedWriteIsReportedOnceAndTheTextStays) {
    savePath = QDir(saveDir.path()).filePath("missing");
    clipboard.setText("while away");
    clipboard.setText("while away");
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(clipboard.text(), "while away");
}

TEST_F(ClipboardCaptureTest, HtmlLikeTextStaysLiteralAndKeepsItsLines) {
    clipboard.setText("a<b>&c\nline 2\r\nline 3\rend");
    ASSERT_EQ(savedFiles().size(), 1);
    EXPECT_EQ(saved(savedFiles().first()),
              "a&lt;b&gt;&amp;c<br>\r\nline 2<br>\r\nline 3<br>\r\nend\r\n");
}

TEST_F(ClipboardCaptureTest, TitleCaptureJoinsTheLastBodyWithTheNextShortText) {
    capture.setChangeCapture(false);
    capture.setTitleCapture(true);
    QDir().mkpath(folder.filePath("savetemplate"));
    ASSERT_TRUE(common::writeTextFile(folder.filePath("savetemplate/savetext.htm"),
                                      "<h1>标题</h1><div>正文</div>"));
    clipboard.setText("a short title"); // a title without a body: dropped
    EXPECT_TRUE(clipboard.text().isEmpty());
    EXPECT_TRUE(savedFiles().isEmpty());
    clipboard.setText(QString(31, 'x'));
    clipboard.setText(
        QString("第二段<正文>，足够长，超过三十个字符，所以它是正文而不是标题。\n第二行"));
    clipboard.setText(QString(29, 'y') + "&"); // exactly 30: a title
    const QString page = saved(QString(29, 'y') + "&.htm");
    EXPECT_FALSE(page.contains(QString(31, 'x')));
    EXPECT_TRUE(page.startsWith("<h1>" + QString(29, 'y') + "&amp;</h1><div><br>"));
    EXPECT_TRUE(page.contains("第二段&lt;正文&gt;"));
    EXPECT_TRUE(page.contains("<br>第二行"));
    EXPECT_TRUE(capture.captureBody().isEmpty());
}

// The desktop's clipboard (the offscreen platform's here), five copies 50 ms apart, each
// heard through the clipboard's own change signal while the event loop runs.
TEST_F(ClipboardCaptureTest, FiveQuickCopiesOnTheSystemClipboardAreAllSaved) {
    shell::SystemClipboard system;
    commands::CommandContext systemContext{tabs, dialogs, system, panels,
                                           [this] { return savePath; }};
    commands::ClipboardCapture systemCapture(systemContext, QString(), [] { return false; });
    system.setChangeListener([&] { systemCapture.clipboardChanged(); });
    systemCapture.setChangeCapture(true);
    for (int i = 1; i <= 5; ++i)
        QTimer::singleShot(50 * i, [&system, i] { system.setText(QString("copy %1").arg(i)); });
    ASSERT_TRUE(testing_support::waitFor([this] { return savedFiles().size() == 5; }, 3000));
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(saved(QString("copy%1.htm").arg(i)), QString("copy %1\r\n").arg(i));
    system.setChangeListener({});
}

} // namespace
