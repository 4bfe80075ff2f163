#include "shell/commands.h"
#include "shell/findbar.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "shell/toolbar.h"
#include "support/commandwait.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"
#include "support/fakeservices.h"
#include "support/waitfor.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using commands::Dialogs;
using testing_support::FakeBrowserView;

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() {
        saveDir = QDir(programDir.path()).filePath("saved");
        QDir().mkpath(saveDir);
        QFile ini(QDir(programDir.path()).filePath("savepath.ini"));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(saveDir.toUtf8() + "\r\n");
        ini.close();
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs);
        page()->pageUrl = QUrl("http://h.example/page.htm");
        page()->pageTitle = "Page";
    }

    FakeBrowserView *page() { return factory.created.front(); }
    shell::Commands &commands() { return window->commands(); }
    shell::Toolbar &toolbar() { return window->toolbar(); }
    QByteArray bytesOf(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir programDir;
    QString saveDir;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    std::unique_ptr<shell::MainWindow> window;
};

TEST_F(CommandsTest, DefaultBranchAppendsTheCaptionToAFocusedTextFieldOnly) {
    for (const char *type : {"text", "textarea", "password", "checkbox", "button", ""}) {
        page()->focusedType = type;
        page()->focusedValue.clear();
        testing_support::chooseEntry(commands(), "someone@mail.example", "当前默认保存路径是[x]");
        const bool field =
            QString(type) == "text" || QString(type) == "textarea" || QString(type) == "password";
        EXPECT_EQ(page()->focusedValue,
                  field ? QString::fromUtf8("当前默认保存路径是[x]") : QString())
            << type;
    }
}

TEST_F(CommandsTest, OrderSensitiveEntriesOfThePasteMenu) {
    toolbar().addMenuEntry("paste", "help", "help");
    page()->focusedType = "text";
    testing_support::chooseEntry(commands(), "help", "help"); // a copied "help" opens the help page
    EXPECT_TRUE(page()->focusedValue.isEmpty());
    EXPECT_EQ(page()->navigations.last(),
              QUrl::fromLocalFile(QDir(programDir.path()).filePath("help.html")));
}

TEST_F(CommandsTest, CopyAddsTheSelectionOrTheAddressOnce) {
    page()->selection = "  第一章  ";
    testing_support::clickButton(commands(), "copy");
    testing_support::clickButton(commands(), "copy");
    page()->selection.clear();
    testing_support::clickButton(commands(), "copy");
    testing_support::clickButton(commands(), "copy");
    EXPECT_EQ(
        toolbar().menuKeys("paste"),
        QStringList({"deletealltool", QString::fromUtf8("第一章"), "http://h.example/page.htm"}));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty()); // nothing selected last
    testing_support::chooseEntry(commands(), "deletealltool", "删除所有");
    EXPECT_EQ(toolbar().menuKeys("paste"), QStringList({"deletealltool"}));
}

TEST_F(CommandsTest, PasteButtonAppendsTheClipboardToTextFields) {
    QGuiApplication::clipboard()->setText("粘贴");
    page()->focusedType = "checkbox";
    testing_support::clickButton(commands(), "paste");
    EXPECT_TRUE(page()->focusedValue.isEmpty());
    page()->focusedType = "textarea";
    testing_support::clickButton(commands(), "paste");
    EXPECT_EQ(page()->focusedValue, QString::fromUtf8("粘贴"));
}

TEST_F(CommandsTest, HelpPageFollowsTheNewToggle) {
    testing_support::chooseEntry(commands(), "origin", "x");
    EXPECT_EQ(page()->navigations.last().fileName(), QString::fromUtf8("Lumaro浏览器的来历.htm"));
    EXPECT_EQ(window->tabs().tabCount(), 1);
    toolbar().setChecked("new", true);
    testing_support::clickButton(commands(), "help");
    ASSERT_EQ(window->tabs().tabCount(), 2);
    EXPECT_EQ(factory.created[1]->navigations.last().fileName(), "help.html");
    EXPECT_FALSE(window->tabs().newWindowState().lastNewWindow()); // any address may open next
}

TEST_F(CommandsTest, SiteSearchOpensANewTabSelectedAfterAMoment) {
    testing_support::chooseEntry(commands(), "a_site1", "x");
    ASSERT_EQ(window->tabs().tabCount(), 2);
    EXPECT_EQ(factory.created[1]->navigations.last().host(), "www.google.com");
    EXPECT_EQ(window->tabs().currentViewNumber(), 1);
    EXPECT_TRUE(
        testing_support::waitFor([&] { return window->tabs().currentViewNumber() == 2; }, 3000));
}

TEST_F(CommandsTest, CreateFolderMakesTheNewDefaultOrSaysWhyNot) {
    dialogs.inputs = {std::nullopt};
    testing_support::chooseEntry(commands(), "createfolder", "x"); // cancelled
    EXPECT_TRUE(dialogs.shown.isEmpty());

    dialogs.inputs = {QString("../escape"), QString(".."), QString("小说")};
    testing_support::chooseEntry(commands(), "createfolder", "x");
    testing_support::chooseEntry(commands(), "createfolder", "x");
    EXPECT_FALSE(QFileInfo::exists(QDir(programDir.path()).filePath("escape")));
    EXPECT_EQ(dialogs.shown.size(), 2);
    testing_support::chooseEntry(commands(), "createfolder", "x");
    const QString made = QDir(saveDir).filePath(QString::fromUtf8("小说"));
    EXPECT_TRUE(QFileInfo(made).isDir());
    EXPECT_EQ(window->savePath(), made);
    EXPECT_EQ(common::ProgramFolder(programDir.path()).readSavePath(), made);
    EXPECT_EQ(toolbar().menuEntryCaption("save", "displaypath"),
              QString::fromUtf8("当前默认保存路径是[") + made + "]");

    window->setSavePath(saveDir);
    dialogs.inputs = {QString("小说")}; // it exists now
    testing_support::chooseEntry(commands(), "createfolder", "x");
    EXPECT_EQ(window->savePath(), saveDir);
    EXPECT_EQ(dialogs.shown.last().text, QString::fromUtf8("已经有此文件夹！"));
    EXPECT_EQ(dialogs.shown.last().caption, QString::fromUtf8("信息"));
}

TEST_F(CommandsTest, TheCreateFolderFailureThatIsNotAnExistingFolderSaysSo) {
    window->setSavePath(QDir(programDir.path()).filePath("missing/parent"));
    dialogs.inputs = {QString("x")};
    testing_support::chooseEntry(commands(), "createfolder", "x");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_NE(dialogs.shown[0].text, QString::fromUtf8("已经有此文件夹！"));
}

TEST_F(CommandsTest, PlainTextDialogSavesUnderTheCleanedTitleWithTheOverwriteQuestion) {
    testing_support::chooseEntry(commands(), "savetxt1", "x");
    ASSERT_TRUE(dialogs.saveText);
    EXPECT_TRUE(dialogs.saveText("第一章: 风雨", "正文\n第二行"));
    const QString path = QDir(saveDir).filePath(QString::fromUtf8("第一章风雨.txt"));
    EXPECT_EQ(bytesOf(path), QByteArray("\xD5\xFD\xCE\xC4\n\xB5\xDA\xB6\xFE\xD0\xD0\r\n"));
    dialogs.answers = {Dialogs::Answer::No};
    EXPECT_FALSE(dialogs.saveText("第一章 风雨", "新的"));
    EXPECT_EQ(bytesOf(path).size(), 13);
    EXPECT_FALSE(dialogs.saveText("...", "x")); // no name
    EXPECT_EQ(window->panelText("s2"), QString::fromUtf8("该网页已经保存到") + path);
}

TEST_F(CommandsTest, ViewSourceWarnsWhileLoadingAndShowsTheWrappedHtml) {
    page()->busy = true;
    page()->pageHtml = "<head></head><body>x</body>";
    ASSERT_TRUE(testing_support::finish(commands().files().viewSource()));
    EXPECT_EQ(dialogs.messageTexts(), QStringList({QString::fromUtf8("还没有下载完!")}));
    ASSERT_EQ(dialogs.sources.size(), 1);
    EXPECT_EQ(dialogs.sources[0].second, "<HTML><head></head><body>x</body></HTML>");
}

TEST_F(CommandsTest, SaveAddAsksWhereAndSavesThePageWhole) {
    dialogs.files = {QDir(saveDir).filePath("whole.htm")};
    dialogs.filterChoices = {"网页，全部（附带文件夹） (*.htm *.html)"}; // the engine's own form
    testing_support::clickButton(commands(), "saveadd");
    EXPECT_EQ(page()->savedAs, QStringList({QDir(saveDir).filePath("whole.htm")}));
    testing_support::clickButton(commands(), "saveadd"); // cancelled
    EXPECT_EQ(page()->savedAs.size(), 1);
    // A page without a title (the engine shows its address) is offered a dated name.
    page()->pageUrl = QUrl("http://127.0.0.1:8080/notitle.htm");
    page()->pageTitle = "127.0.0.1:8080/notitle.htm";
    testing_support::clickButton(commands(), "saveadd");
    ASSERT_EQ(dialogs.proposedFiles.size(), 3);
    EXPECT_TRUE(
        QFileInfo(dialogs.proposedFiles[2]).fileName().startsWith(QString::fromUtf8("无标题-")))
        << dialogs.proposedFiles[2].toStdString();
}

TEST_F(CommandsTest, CaptureEntriesStartAndStopTheirModes) {
    testing_support::chooseEntry(commands(), "beginsave2", "x");
    EXPECT_TRUE(commands().isCapturing("beginsave2"));
    EXPECT_FALSE(commands().isCapturing("beginsave"));
    EXPECT_EQ(toolbar().menuEntryCaption("save", "beginsave2"), QString::fromUtf8("停止保存"));
    testing_support::chooseEntry(commands(), "beginsave2", "x");
    EXPECT_FALSE(commands().isCapturing("beginsave2"));
    EXPECT_EQ(
        toolbar().menuEntryCaption("save", "beginsave2"),
        QString::fromUtf8("开始保存【如果粘贴板里的文字小于20，就以此为文件名保存到默认文件夹】"));
}

TEST_F(CommandsTest, FindBarSearchesTheCurrentPage) {
    window->findBar().openFor(page());
    window->findBar().findNext(true);
    emit page()->findFinished(2, 5);
    EXPECT_EQ(window->findBar().resultText(), "2/5");
    EXPECT_EQ(page()->searches.last().second, true);
    window->findBar().close();
    EXPECT_TRUE(page()->searches.last().first.isEmpty()); // marks cleared
}

TEST_F(CommandsTest, StoppingTheEmailHarvestOfAllTabsLeavesTheRest) {
    for (int i = 2; i <= 4; ++i) {
        auto *view = static_cast<FakeBrowserView *>(
            window->tabs().openInNewTab(QUrl("http://h.example/"), true, true));
        view->pageHtml = QString("<p>user%1@mail.example.cn</p>").arg(i);
    }
    testing_support::FakeProgress progress;
    progress.stopAfter = 2;
    window->context().progress = &progress;
    testing_support::chooseEntry(commands(), "saveee");
    window->context().progress = nullptr;
    const QString emails =
        QString::fromUtf8(bytesOf(QDir(programDir.path()).filePath("email.txt")));
    EXPECT_TRUE(emails.contains("user4@")); // from the last tab
    EXPECT_TRUE(emails.contains("user3@"));
    EXPECT_FALSE(emails.contains("user2@"));
    EXPECT_EQ(window->panelText("s2"), QString::fromUtf8("已停止：还有2个网页没有查找Email"));
}

} // namespace
