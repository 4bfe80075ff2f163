// The menu entries that save groups, put a page's links to use and delete links, each run
// through its menu key against fake views and dialogs.
#include "shell/commands.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "shell/toolbar.h"
#include "support/commandwait.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"

#include "common/ansifile.h"
#include "editing/groups.h"
#include "links/favouritesfile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using commands::Dialogs;
using testing_support::FakeBrowserView;

const char *const kFavourites = "<html><head><title>favorites</title></head><body><table>\r\n"
                                "<tr class=\"head\"><td>网址</td><td>说明</td><td></td></tr>\r\n"
                                "</table></body></html>\r\n";

// A page of mixed links: relative and absolute pages, files that are not pages, a mail link
// and a repeat.
const char *const kMixedLinks =
    "<p><a href=\"a.htm\">第一章</a> <a href=\"http://other.example/b.htm\">第二章</a> "
    "<a href=\"down/x.zip\">下载一</a> <a href=\"http://other.example/y.ZIP\">下载二</a> "
    "<a href=\"mailto:m@other.example\">写信</a> <a href=\"a.htm\">第一章</a></p>";

class MenusTest : public ::testing::Test {
protected:
    MenusTest() {
        saveDir = QDir(programDir.path()).filePath("saved");
        QDir().mkpath(saveDir);
        write("savepath.ini", saveDir.toUtf8() + "\r\n");
        write("link.htm", common::encodeText(QString::fromUtf8(kFavourites)));
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs);
        first()->pageTitle = "favorites";
    }

    void write(const QString &name, const QByteArray &bytes) {
        QFile file(QDir(programDir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString favourites() { return common::readTextFile(folder().favouritesPath()).text; }
    common::ProgramFolder folder() { return common::ProgramFolder(programDir.path()); }

    // A second tab showing a page, selected.
    FakeBrowserView *openPage(const QString &url, const QString &title, const QString &html) {
        auto *view =
            static_cast<FakeBrowserView *>(window->tabs().openInNewTab(QUrl(url), true, true));
        view->pageUrl = QUrl(url);
        view->pageTitle = title;
        view->pageHtml = html;
        window->tabs().selectTab(window->tabs().tabCount());
        return view;
    }
    FakeBrowserView *first() { return factory.created.front(); }
    shell::Commands &commands() { return window->commands(); }
    QString s1() { return window->panelText("s1"); }
    // The addresses of the tabs opened after `skip` views.
    QStringList openedAfter(int skip) {
        QStringList urls;
        for (int i = skip; i < factory.created.size(); ++i)
            urls.append(factory.created[i]->navigations.value(0).toString());
        return urls;
    }

    QTemporaryDir programDir;
    QString saveDir;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    std::unique_ptr<shell::MainWindow> window;
};

TEST_F(MenusTest, WindowMenuSavesAllPagesWithAbsoluteLinks) {
    openPage("http://h.example/news/index.htm", "新闻", "<a href=\"page2.htm\">2</a>");
    QAction *action = window->menuBar()->findChild<QAction *>("saveallo_x_j");
    ASSERT_NE(action, nullptr);
    action->trigger();
    testing_support::untilIdle(window->commands());
    const QString saved = QString::fromUtf8(read(QDir(saveDir).filePath("新闻.htm")));
    EXPECT_TRUE(saved.contains("href=\"http://h.example/news/page2.htm\"")) << saved.toStdString();
    EXPECT_EQ(window->panelText("s2"), "所有打开网页已经保存到" + saveDir);

    // The plain entry keeps the page's own links.
    window->menuBar()->findChild<QAction *>("saveallo")->trigger();
    testing_support::untilIdle(window->commands());
    EXPECT_TRUE(
        QString::fromUtf8(read(QDir(saveDir).filePath("新闻.htm"))).contains("href=\"page2.htm\""));
}

TEST_F(MenusTest, SaveGroupWritesEveryTabAndItsEntryOpensThemAgain) {
    openPage("http://h.example/a(1).htm", "甲 (一)", "");
    openPage("http://h.example/b.htm", "乙", "");
    dialogs.inputs = {QString("新闻")};
    testing_support::chooseEntry(commands(), "save_group", "x");

    const QString path = QDir(programDir.path()).filePath("group/新闻.txt");
    const QByteArray bytes = read(path);
    EXPECT_EQ(
        QStringDecoder("GB18030").decode(bytes).operator QString(),
        "favorites(" + folder().favouritesUrl().toString() +
            ")\r\n甲 （一）(http://h.example/a%281%29.htm)\r\n乙(http://h.example/b.htm)\r\n");
    EXPECT_TRUE(window->toolbar().hasMenuEntry("savegroup", "opengroup_新闻"));
    EXPECT_EQ(window->toolbar().menuEntryCaption("savegroup", "opengroup_新闻"),
              "打开【新闻】中的所有网页");

    const int before = int(factory.created.size());
    testing_support::chooseEntry(commands(), "opengroup_新闻", "x");
    EXPECT_EQ(openedAfter(before),
              QStringList({folder().favouritesUrl().toString(), "http://h.example/a%281%29.htm",
                           "http://h.example/b.htm"}));
}

TEST_F(MenusTest, SaveGroupAsksBeforeReplacingAndRefusesNamesThatAreNoFileNames) {
    dialogs.inputs = {QString("a/b"), QString("组")};
    testing_support::clickButton(commands(), "savegroup");
    EXPECT_EQ(dialogs.shown.size(), 1); // the name's problem, then the second name is taken
    const QString path = QDir(programDir.path()).filePath("group/组.txt");
    const QByteArray written = read(path);
    EXPECT_FALSE(written.isEmpty());

    openPage("http://h.example/b.htm", "乙", "");
    dialogs.inputs = {QString("组")};
    dialogs.answers = {Dialogs::Answer::No};
    testing_support::chooseEntry(commands(), "save_group", "x");
    EXPECT_EQ(dialogs.shown.last().text, "已经存在同样名字的组文件“组.txt”，是否要覆盖？");
    EXPECT_EQ(read(path), written);

    dialogs.inputs = {QString("组")};
    testing_support::chooseEntry(commands(), "save_group", "x");
    EXPECT_TRUE(read(path).endsWith("(http://h.example/b.htm)\r\n"));

    dialogs.inputs = {std::nullopt}; // cancelled
    testing_support::chooseEntry(commands(), "save_group", "x");
    EXPECT_EQ(QDir(QDir(programDir.path()).filePath("group")).entryList(QDir::Files),
              QStringList({"组.txt"}));
}

TEST_F(MenusTest, PageLinksGoToTheFavouritesOnceAndTheirRowsAreEditedAndDeleted) {
    openPage("http://h.example/dir/page.htm", "页", kMixedLinks);
    testing_support::chooseEntry(commands(), "savetolink", "x");
    EXPECT_EQ(s1(), "5"); // the repeat of a.htm is left out
    const QString once = favourites();
    for (const char *address : {"http://h.example/dir/a.htm", "http://other.example/b.htm",
                                "http://h.example/dir/down/x.zip", "mailto:m@other.example"})
        EXPECT_TRUE(once.contains(QString("&nbsp;") + address + "</td>")) << address;
    EXPECT_TRUE(once.contains("&nbsp;第二章</td>"));
    EXPECT_EQ(first()->reloadCount, 1);

    testing_support::chooseEntry(commands(), "savetolink",
                                 "x"); // all there already: the file stays
    EXPECT_EQ(s1(), "0");
    EXPECT_EQ(favourites(), once);
    testing_support::chooseEntry(commands(), "savexd", "x");
    EXPECT_EQ(s1(), "0");

    // The buttons of the favourites page edit and delete the added rows.
    const qsizetype at = once.indexOf("name=\"B2");
    ASSERT_GE(at, 0);
    const QString key = once.mid(at + 8, 15);
    dialogs.links = {std::make_pair(QString("http://new.example/"), QString("新"))};
    commands().links().favouritesButton(first(), "B1" + key);
    EXPECT_TRUE(favourites().contains("&nbsp;http://new.example/</td>"));
    commands().links().favouritesButton(first(), "B2" + key);
    EXPECT_FALSE(favourites().contains("B2" + key));
    EXPECT_FALSE(favourites().contains("http://new.example/"));
}

TEST_F(MenusTest, RelativeAndAbsoluteLinksGoToTheFavouritesByTheirScan) {
    openPage("http://h.example/dir/page.htm", "页", kMixedLinks);
    testing_support::chooseEntry(commands(), "savejd", "x");
    EXPECT_EQ(s1(), "1"); // only the absolute page link: files are not pages
    EXPECT_TRUE(favourites().contains("&nbsp;http://other.example/b.htm</td>"));
    testing_support::chooseEntry(commands(), "savexd", "x");
    EXPECT_EQ(s1(), "1");
    EXPECT_TRUE(favourites().contains("&nbsp;http://h.example/dir/a.htm</td>"));
    EXPECT_FALSE(favourites().contains("x.zip"));
}

TEST_F(MenusTest, SavePathEntryOpensTheFolderAndTheAddressGoesToThePasteMenuOnce) {
    // The folder and the e-mail file open in tabs of their own, whatever the desktop has.
    const int before = window->tabs().tabCount();
    testing_support::chooseEntry(commands(), "displaypath", "当前默认保存路径是[x]");
    ASSERT_EQ(window->tabs().tabCount(), before + 1);
    auto *listing = static_cast<testing_support::FakeBrowserView *>(window->tabs().currentView());
    EXPECT_EQ(listing->navigations, QList<QUrl>({QUrl::fromLocalFile(saveDir + "/")}));
    EXPECT_TRUE(window->panelText("s2").contains(saveDir));
    testing_support::chooseEntry(commands(), "openemail", "x");
    EXPECT_EQ(window->tabs().tabCount(), before + 1); // nothing collected yet: said, not opened
    EXPECT_TRUE(window->panelText("s2").contains("还没有收集过 email 地址"));
    QFile email(window->programFolder().filePath("email.txt"));
    ASSERT_TRUE(email.open(QIODevice::WriteOnly));
    email.close();
    testing_support::chooseEntry(commands(), "openemail", "x");
    ASSERT_EQ(window->tabs().tabCount(), before + 2);
    EXPECT_EQ(window->tabs().currentView()->url(), QUrl::fromLocalFile(email.fileName()));
    openPage("http://h.example/dir/page.htm", "页", "");
    testing_support::chooseEntry(commands(), "savehtom", "x");
    testing_support::chooseEntry(commands(), "savehtom", "x");
    EXPECT_EQ(window->toolbar().menuKeys("paste"),
              QStringList({"deletealltool", "http://h.example/dir/page.htm"}));
}

TEST_F(MenusTest, SelectionEntriesOpenTheLinksWhoseTextIsSelected) {
    FakeBrowserView *view = openPage("http://h.example/dir/page.htm", "页", kMixedLinks);
    const int before = int(factory.created.size());
    view->selection = "第二章";
    testing_support::chooseEntry(commands(), "opensallz", "x"); // a single link counts
    EXPECT_EQ(openedAfter(before), QStringList({"http://other.example/b.htm"}));

    view->selection = "第一章 第二章 下载一 写信";
    const int second = int(factory.created.size());
    testing_support::chooseEntry(commands(), "opensallx", "x");
    EXPECT_EQ(openedAfter(second), QStringList({"http://h.example/dir/a.htm"}));
    EXPECT_EQ(s1(), "1");
    const int third = int(factory.created.size());
    testing_support::chooseEntry(commands(), "opensallj", "x");
    EXPECT_EQ(openedAfter(third), QStringList({"http://other.example/b.htm"}));

    view->selection.clear();
    testing_support::chooseEntry(commands(), "opensallz", "x");
    EXPECT_EQ(dialogs.messageTexts().last(), "没有选择文字！请选择！");
}

TEST_F(MenusTest, FileLinksAreDownloadedAFewAtATime) {
    QString html;
    for (int i = 1; i <= 5; ++i)
        html += QString("<a href=\"f%1.zip\">文件%1</a><a href=\"p%1.htm\">网页%1</a>").arg(i);
    FakeBrowserView *view = openPage("http://h.example/d/page.htm", "页", html);
    testing_support::chooseEntry(commands(), "openallzip", "x");
    EXPECT_EQ(s1(), "5");
    const auto file = [](int i) { return QUrl(QString("http://h.example/d/f%1.zip").arg(i)); };
    EXPECT_EQ(view->downloads, QList<QUrl>({file(1), file(2), file(3)}));
    commands().downloadQueue().ended(file(2));
    EXPECT_EQ(view->downloads, QList<QUrl>({file(1), file(2), file(3), file(4)}));
    commands().downloadQueue().ended(file(1));
    commands().downloadQueue().ended(file(1)); // told twice: one place only
    EXPECT_EQ(view->downloads.size(), 5);
    EXPECT_EQ(commands().downloadQueue().running(), 3);

    view->downloads.clear();
    view->selection = "文件4 网页4";
    testing_support::chooseEntry(commands(), "opensallzip", "x");
    EXPECT_EQ(commands().downloadQueue().waiting(), 1); // all three places are taken
    for (int i = 3; i <= 5; ++i)
        commands().downloadQueue().ended(file(i));
    EXPECT_EQ(view->downloads, QList<QUrl>({file(4)}));
}

TEST_F(MenusTest, FilesWaitingForAClosedTabAreDropped) {
    QString html;
    for (int i = 1; i <= 5; ++i)
        html += QString("<a href=\"f%1.rar\">文件%1</a>").arg(i);
    openPage("http://h.example/d/page.htm", "页", html);
    testing_support::chooseEntry(commands(), "openallzip", "x");
    window->tabs().closeCurrent();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    commands().downloadQueue().ended(QUrl("http://h.example/d/f1.rar"));
    EXPECT_EQ(commands().downloadQueue().running(), 2);
    EXPECT_EQ(commands().downloadQueue().waiting(), 0);
}

TEST_F(MenusTest, PageWithoutFileLinksSaysSo) {
    openPage("http://h.example/d/page.htm", "页", "<a href=\"a.htm\">网页</a>");
    testing_support::chooseEntry(commands(), "openallzip", "x");
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({"没有找到非网页链接（.zip .rar .exe .pdf 等）！"}));
}

TEST_F(MenusTest, LinkDeletionsRemoveWholeLinksFromOneOrEveryPage) {
    const QString html = "<a href=\"1\">下一页</a> 下一页 <a href=\"2\"><b>下一页</b></a> "
                         "<a href=\"3\">下一页吧</a>";
    FakeBrowserView *one = openPage("http://h.example/1.htm", "1", html);
    FakeBrowserView *two = openPage("http://h.example/2.htm", "2", html);
    first()->pageHtml = html; // the favourites page is left alone
    two->selection = "下一页";
    testing_support::chooseEntry(commands(), "deleteselectfromc2", "x");
    EXPECT_EQ(two->pageHtml, " 下一页  <a href=\"3\">下一页吧</a>");
    EXPECT_EQ(one->pageHtml, html);

    one->pageHtml = html;
    testing_support::chooseEntry(commands(), "deleteselectfromall2", "x");
    EXPECT_EQ(one->pageHtml, " 下一页  <a href=\"3\">下一页吧</a>");
    EXPECT_EQ(first()->pageHtml, html);

    one->pageHtml = html;
    two->pageHtml = "甲下一页乙";
    testing_support::chooseEntry(commands(), "deleteselectfromall", "x");
    EXPECT_EQ(two->pageHtml, "甲乙");
    EXPECT_FALSE(one->pageHtml.contains("下一页<"));
    EXPECT_EQ(first()->pageHtml, html);

    two->selection.clear();
    testing_support::chooseEntry(commands(), "deleteselectfromall2", "x");
    EXPECT_EQ(dialogs.messageTexts().last(), "请选择网页中你要删除的文字！");
}

} // namespace
