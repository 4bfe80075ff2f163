#include "shell/commands.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "shell/toolbar.h"
#include "support/commandwait.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class StartupTest : public ::testing::Test {
protected:
    void write(const QString &name, const QByteArray &bytes = {}) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::unique_ptr<shell::MainWindow> start() {
        return std::make_unique<shell::MainWindow>(common::ProgramFolder(dir.path()), factory,
                                                   &dialogs);
    }

    QTemporaryDir dir;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
};

TEST_F(StartupTest, ShowsTheFavouritesPageAndTheDefaultFolder) {
    write("savepath.ini", "/data/pages\r\n");
    auto window = start();
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Lumaro浏览器 V2.0"));
    ASSERT_EQ(factory.created.size(), 1);
    EXPECT_EQ(factory.created[0]->navigations,
              QList<QUrl>({QUrl::fromLocalFile(dir.filePath("link.htm"))}));
    EXPECT_EQ(window->savePath(), "/data/pages");
    EXPECT_EQ(window->toolbar().menuKeys("save").last(), "displaypath");
    EXPECT_EQ(window->toolbar().menuEntryCaption("save", "displaypath"),
              QString::fromUtf8("当前默认保存路径是[/data/pages]"));
    EXPECT_TRUE(window->tabs().navigationPolicy().startupGuard());
}

TEST_F(StartupTest, AddsThreeEntriesPerTemplateAndOnePerGroup) {
    for (const char *name :
         {"inputtemplate/b.ini", "inputtemplate/a.ini", "inputtemplate/x.y.ini", "group/新闻.txt"})
        write(QString::fromUtf8(name));
    auto window = start();
    EXPECT_EQ(window->savePath(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(window->toolbar().menuKeys("inputform"),
              QStringList({"addt", "add_a", "all_a", "delete_a", "add_b", "all_b", "delete_b",
                           "add_x.y", "all_x.y", "delete_x.y"}));
    EXPECT_EQ(window->toolbar().menuEntryCaption("inputform", "all_x.y"),
              QString::fromUtf8("自动填写【x.y】模板到当前网页的表单"));
    EXPECT_EQ(window->toolbar().menuKeys("savegroup"),
              QStringList({"save_group", QString::fromUtf8("opengroup_新闻")}));
}

TEST_F(StartupTest, SetSavePathWritesTheSettingsOrReportsTheCancel) {
    auto window = start();
    window->setSavePathFromDialog(); // cancelled
    EXPECT_FALSE(QFile::exists(dir.filePath("savepath.ini")));
    EXPECT_EQ(window->addressBox().currentText(),
              QString::fromUtf8("Dialog was cancelled！当前默认的保存路径是 ") +
                  window->savePath());
    dialogs.folders = {"/data/新"};
    window->setSavePathFromDialog();
    EXPECT_EQ(window->savePath(), QString::fromUtf8("/data/新"));
    EXPECT_EQ(common::ProgramFolder(dir.path()).readSavePath(), QString::fromUtf8("/data/新"));
    EXPECT_EQ(window->toolbar().menuEntryCaption("save", "displaypath"),
              QString::fromUtf8("当前默认保存路径是[/data/新]"));
}

TEST_F(StartupTest, AddressEntryOpensANewTabAndKeepsTheListMostRecentFirst) {
    auto window = start();
    QComboBox &box = window->addressBox();
    window->openAddress("http://a.example/");
    window->openAddress("about:blank");
    window->openAddress("http://a.example/");
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.itemText(0), "http://a.example/");
    EXPECT_EQ(box.itemText(1), "about:blank");
    // The later requests come within 0.7 s: refused, so the newest tab shows the address.
    ASSERT_EQ(factory.created.size(), 2);
    EXPECT_EQ(factory.created[1]->navigations,
              QList<QUrl>({QUrl("http://a.example/"), QUrl("http://a.example/")}));
}

TEST_F(StartupTest, ABrokenSettingsFileIsToldInTheStatusBarUntilANewFolderIsSet) {
    write("savepath.ini", QByteArray(common::ProgramFolder::kMaxSettingsBytes * 2, '/'));
    auto window = start();
    EXPECT_EQ(window->savePath(), QDir::cleanPath(dir.path()));
    EXPECT_TRUE(window->panelText("s2").contains(dir.filePath("savepath.ini")));
    window->setPanelText(commands::Panel::Message,
                         "http://a.example/下载完成"); // the page's own text keeps it
    EXPECT_TRUE(window->panelText("s2").startsWith("http://a.example/下载完成"));
    EXPECT_TRUE(window->panelText("s2").contains("savepath.ini"));
    dialogs.folders = {dir.filePath("pages")};
    window->setSavePathFromDialog();
    window->setPanelText(commands::Panel::Message, "x");
    EXPECT_EQ(window->panelText("s2"), "x");
}

TEST_F(StartupTest, ATypedAddressComesToTheFrontAndWordsAreSearched) {
    auto window = start();
    window->openAddress("hello world");
    ASSERT_EQ(factory.created.size(), 2);
    EXPECT_EQ(window->tabs().currentView(), factory.created[1]);
    ASSERT_EQ(factory.created[1]->navigations.size(), 1);
    EXPECT_EQ(factory.created[1]->navigations[0].host(), "www.baidu.com");
    EXPECT_EQ(window->addressBox().currentText(), "hello world");
    EXPECT_EQ(window->tabs().stack()->currentWidget(), factory.created[1]->widget());
}

TEST_F(StartupTest, TabsLeftByACrashReopenBehindTheFavouritesAndTheReportStays) {
    write("session.json", R"({"version":1,"cleanQuit":false,"shown":2,"tabs":[
        {"url":"http://c.example/1","title":"一","marked":false},
        {"url":"http://c.example/2","title":"二","marked":true}]})");
    auto window = start();
    ASSERT_EQ(window->tabs().tabCount(), 3);
    EXPECT_EQ(window->tabs().currentPosition(), 1);
    EXPECT_TRUE(window->tabs().isMarked(3));
    // The favourites page and the reopened tabs finish loading after the report: the report
    // stays in front of what they say.
    testing_support::FakeBrowserView *favourites = factory.created[0];
    favourites->pageUrl = window->programFolder().favouritesUrl();
    emit favourites->documentComplete(favourites->pageUrl, true);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->panelText("s2").contains("已打开 2 个网页"); }, 3000))
        << window->panelText("s2").toStdString();
    EXPECT_TRUE(window->panelText("s2").startsWith(
        QString::fromUtf8("上次程序没有正常退出，已重新打开当时的 2 个网页")));
}

TEST_F(StartupTest, AHoveredLinkShowsOverThePageAndLeavesTheCountInS1) {
    auto window = start();
    window->show();
    window->setPanelText(commands::Panel::Counts, "100"); // a link command's count
    emit factory.created[0]->statusTextChanged("http://h.example/link");
    EXPECT_EQ(window->panelText("s1"), "100");
    auto *hover = window->findChild<QLabel *>("hoveredLink");
    ASSERT_NE(hover, nullptr);
    EXPECT_TRUE(hover->isVisible());
    EXPECT_EQ(hover->text(), "http://h.example/link");
    emit factory.created[0]->statusTextChanged("");
    EXPECT_FALSE(hover->isVisible());
    EXPECT_EQ(window->panelText("s1"), "100");
}

TEST_F(StartupTest, AfterANormalQuitStartUpIsAsUsualAndOffersTheLastTabs) {
    {
        auto window = start();
        window->openAddress("http://q.example/1");
        window->close();
    }
    auto window = start();
    EXPECT_EQ(window->tabs().tabCount(), 1);
    EXPECT_TRUE(window->panelText("s2").isEmpty());
    ASSERT_TRUE(window->tabs().reopenClosed());
    EXPECT_EQ(window->tabs().tabCount(), 2);
}

TEST_F(StartupTest, AGarbageSessionFileIsReportedAndStartUpGoesOn) {
    write("session.json", "{\"version\":1,\"tabs\":[{\"url\":");
    auto window = start();
    EXPECT_EQ(window->tabs().tabCount(), 1);
    EXPECT_TRUE(window->panelText("s2").contains("session.json"));
    ASSERT_FALSE(factory.created.isEmpty());
    EXPECT_EQ(factory.created[0]->navigations.value(0), window->programFolder().favouritesUrl());
}

// A page saved into the save folder shows it on its tab; in another save folder it does not.
TEST_F(StartupTest, ATabWhosePageIsSavedInTheSaveFolderShowsIt) {
    QDir(dir.path()).mkpath("pages");
    QDir(dir.path()).mkpath("other");
    auto window = start();
    window->setSavePath(dir.filePath("pages"));
    window->openAddress("http://s.example/a.htm");
    testing_support::FakeBrowserView *page = factory.created.last();
    page->pageUrl = QUrl("http://s.example/a.htm");
    page->pageTitle = QString::fromUtf8("第一章");
    page->pageHtml = "<p>x</p>";
    window->tabs().refreshCaptions();
    EXPECT_EQ(window->tabs().tabBar()->tabText(1), QString::fromUtf8("2 第一章"));
    dialogs.answers = {commands::Dialogs::Answer::Ok}; // save under the page title
    testing_support::chooseEntry(window->commands(), "onlysave");
    ASSERT_TRUE(QFile::exists(dir.filePath(QString::fromUtf8("pages/第一章.htm"))));
    window->tabs().refreshCaptions();
    EXPECT_EQ(window->tabs().tabBar()->tabText(1), QString::fromUtf8("[存]2 第一章"));
    window->setSavePath(dir.filePath("other"));
    window->tabs().refreshCaptions();
    EXPECT_EQ(window->tabs().tabBar()->tabText(1), QString::fromUtf8("2 第一章"));
}

} // namespace
