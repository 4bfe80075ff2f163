#include "commands/links/linkcommands.h"
#include "common/ansifile.h"
#include "links/favouritesfile.h"
#include "shell/loadqueue.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeBrowserView;

class LinkCommandsTest : public testing_support::CommandFixture {
protected:
    LinkCommandsTest()
        : commands(
              context, folder,
              [this](const QString &key, const QString &) {
                  if (pasteMenu.contains(key))
                      return false;
                  pasteMenu.append(key);
                  return true;
              },
              [this] { return newToggle; }) {
        factory.viewsFinishLoads = false; // the load queue is driven by hand here
        page()->pageUrl = QUrl("http://h.example/dir/index.htm");
        page()->pageTitle = "Index";
    }

    QList<QUrl> openedUrls() {
        QList<QUrl> urls;
        for (int i = 1; i < factory.created.size(); ++i)
            urls.append(factory.created[i]->navigations);
        return urls;
    }
    void finishLoading() {
        for (FakeBrowserView *view : factory.created)
            emit view->documentComplete(view->pageUrl, true);
    }
    QString fileText(const QString &path) { return common::readTextFile(path).text; }
    void writeFile(const QString &path, const QString &text) {
        ASSERT_TRUE(common::writeTextFile(path, text));
    }

    QStringList pasteMenu;
    bool newToggle = false;
    commands::LinkCommands commands;
};

TEST_F(LinkCommandsTest, OpenAllLinksInPageOrderOnceEachCountingInS1) {
    page()->pageHtml =
        "<a href='a.htm'>a</a><a href='b.htm'>b</a><a href='a.htm'>a</a>"
        "<a href='mailto:x@y.example'>m</a><a href='c.zip'>z</a><a href='http://o.example/'>o</a>";
    ASSERT_TRUE(testing_support::finish(commands.openPageLinks(links::LinkCommand::OpenAllW)));
    EXPECT_EQ(openedUrls(),
              QList<QUrl>({QUrl("http://h.example/dir/a.htm"), QUrl("http://h.example/dir/b.htm"),
                           QUrl("http://o.example/")}));
    EXPECT_EQ(panels.of("s1"), QStringList({"1", "2", "3"}));
    EXPECT_EQ(tabs.tabCount(), 4);
    panels.history.clear();
    ASSERT_TRUE(testing_support::finish(commands.openPageLinks(
        links::LinkCommand::OpenPageA))); // opens the mail link too, no count
    finishLoading();                      // the first three free their places in the load queue
    EXPECT_EQ(openedUrls().mid(3),
              QList<QUrl>({QUrl("http://h.example/dir/a.htm"), QUrl("http://h.example/dir/b.htm"),
                           QUrl("mailto:x@y.example"), QUrl("http://h.example/dir/c.zip"),
                           QUrl("http://o.example/")}));
    EXPECT_TRUE(panels.of("s1").isEmpty());
}

TEST_F(LinkCommandsTest, AHundredLinksGetAHundredTabsLoadingSixAtATime) {
    QString html;
    for (int i = 0; i < 100; ++i)
        html += QString("<a href='p%1.htm'>%1</a>").arg(i);
    page()->pageHtml = html;
    ASSERT_TRUE(testing_support::finish(commands.openPageLinks(links::LinkCommand::OpenAllW)));
    EXPECT_EQ(tabs.tabCount(), 101);
    EXPECT_EQ(openedUrls().size(), 6);
    EXPECT_EQ(tabs.loadQueue().waiting(), 94);
    for (int round = 0; round < 20 && tabs.loadQueue().waiting() > 0; ++round)
        finishLoading();
    const QList<QUrl> urls = openedUrls();
    ASSERT_EQ(urls.size(), 100);
    for (int i = 0; i < 100; ++i) // every link in its own tab, in page order
        EXPECT_EQ(factory.created[i + 1]->navigations,
                  QList<QUrl>({QUrl(QString("http://h.example/dir/p%1.htm").arg(i))}));
}

TEST_F(LinkCommandsTest, SelectionLinksNeedASelection) {
    page()->pageHtml =
        "<a href='1.htm'>第一章</a><a href='2.htm'>第二章</a><a href='3.htm'>后记</a>";
    ASSERT_TRUE(testing_support::finish(commands.openSelectedLinks()));
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"没有选择文字！请选择！"}));
    page()->selection = "第一章\n第二章";
    ASSERT_TRUE(testing_support::finish(commands.openSelectedLinks()));
    EXPECT_EQ(openedUrls(), QList<QUrl>({QUrl("http://h.example/dir/1.htm"),
                                         QUrl("http://h.example/dir/2.htm")}));
    EXPECT_EQ(panels.last["s1"], "2");
}

TEST_F(LinkCommandsTest, UrlsOfAPlainFileOpenOnePerLineAndRedirectsTwice) {
    const QString list = QDir(programDir.path()).filePath("list.txt");
    writeFile(list, "http://a.example/\r\nhttp://b.example/go?to=http://c.example/\r\n");
    dialogs.files = {list};
    ASSERT_TRUE(testing_support::finish(commands.openUrlsInFile()));
    EXPECT_EQ(openedUrls(), QList<QUrl>({QUrl("http://a.example/"),
                                         QUrl("http://b.example/go?to=http://c.example/"),
                                         QUrl("http://c.example/")}));
    ASSERT_TRUE(testing_support::finish(commands.openUrlsInFile())); // cancelled
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"此文件无内容！"}));
}

TEST_F(LinkCommandsTest, FolderPagesOpenAndACancelledDialogSaysSo) {
    for (const char *name : {"b.htm", "A.HTML", "notes.txt"})
        writeFile(QDir(saveDir.path()).filePath(name), "x");
    dialogs.folders = {saveDir.path()};
    ASSERT_TRUE(testing_support::finish(commands.openFolderPages()));
    EXPECT_EQ(openedUrls(),
              QList<QUrl>({QUrl::fromLocalFile(QDir(saveDir.path()).filePath("A.HTML")),
                           QUrl::fromLocalFile(QDir(saveDir.path()).filePath("b.htm"))}));
    commands.openFolderListing();
    EXPECT_EQ(panels.last["address"], "Dialog was cancelled");
}

TEST_F(LinkCommandsTest, HrefFileIsNumberedAfreshOnEachRun) {
    page()->pageHtml =
        "<a href='a.htm'>a</a><a href='mailto:m@x.example'>m</a><a href=\"javascript:go()\">j</a>";
    ASSERT_TRUE(testing_support::finish(commands.saveToHref()));
    ASSERT_TRUE(testing_support::finish(commands.saveToHref()));
    EXPECT_EQ(
        fileText(folder.filePath("href.txt")),
        "[1]=http://h.example/dir/a.htm\r\n[2]=mailto:m@x.example\r\n[3]=javascript:go()\r\n"
        "[1]=http://h.example/dir/a.htm\r\n[2]=mailto:m@x.example\r\n[3]=javascript:go()\r\n");
}

TEST_F(LinkCommandsTest, LinksAreReadInThePageCharsetAgainstItsBase) {
    page()->pageCharset = "GBK";
    page()->pageHtml = "<base href='/abs/'><a href='s.html?q=中文&amp;p=2'>s</a>";
    ASSERT_TRUE(testing_support::finish(commands.saveToHref()));
    EXPECT_EQ(
        fileText(folder.filePath("href.txt")),
        "[1]=http://h.example/abs/\r\n[2]=http://h.example/abs/s.html?q=%D6%D0%CE%C4&p=2\r\n");
    ASSERT_TRUE(testing_support::finish(commands.openPageLinks(links::LinkCommand::OpenAllX)));
    EXPECT_EQ(openedUrls().value(1).toEncoded(), "http://h.example/abs/s.html?q=%D6%D0%CE%C4&p=2");
}

TEST_F(LinkCommandsTest, DirectoryPageListsEachAddressOnceFromTheLastTab) {
    for (int i = 0; i < 3; ++i)
        tabs.openInNewTab(QUrl("http://x.example/"), true, true);
    page(1)->pageUrl = QUrl("http://a.example/");
    page(1)->pageTitle = "First";
    page(2)->pageUrl = QUrl("http://b.example/?q=中文&r=1");
    page(2)->selection = "Chosen: title.";
    page(3)->pageUrl = QUrl("http://a.example/");
    page(3)->pageTitle = "";
    dialogs.inputs = {QString(" 目录 ")};
    commands.saveDirectoryPage();
    const QString page = fileText(QDir(saveDir.path()).filePath("目录.htm"));
    EXPECT_EQ(page.count("<li>"), 2);
    EXPECT_LT(page.indexOf("unTitle"), page.indexOf("Chosen title"));
    EXPECT_FALSE(page.contains("First"));
    // Written encoded: the page leads to the same address whatever charset it is read in.
    EXPECT_TRUE(page.contains("href=\"http://b.example/?q=%E4%B8%AD%E6%96%87&amp;r=1\""));
    EXPECT_EQ(panels.last["s2"], "已经保存到" + saveDir.path());
    dialogs.inputs = {QString("...")};
    commands.saveDirectoryPage();
    EXPECT_EQ(dialogs.messageTexts().last(), "请输入目录网页的名字！");
}

TEST_F(LinkCommandsTest, EmailRecordsSkipKnownLinesAndRepeats) {
    writeFile(folder.filePath("email.txt"), "old@x.example\r\nhttp://p.example/\r\nT\r\n");
    page()->pageHtml =
        "<a href='mailto:old@x.example'>old@x.example</a> new@x.example new@x.example "
        "联系：li@x.example。 new@x.example @media <a "
        "href='mailto:team+news@x.example?subject=Hi'>";
    ASSERT_TRUE(testing_support::finish(commands.saveEmails()));
    EXPECT_EQ(fileText(folder.filePath("email.txt")),
              "old@x.example\r\nhttp://p.example/\r\nT\r\n"
              "new@x.example\r\nhttp://h.example/dir/index.htm\r\nIndex\r\n"
              "li@x.example\r\nhttp://h.example/dir/index.htm\r\nIndex\r\n"
              "team+news@x.example\r\nhttp://h.example/dir/index.htm\r\nIndex\r\n");
    ASSERT_TRUE(testing_support::finish(commands.emailsToPasteMenu()));
    ASSERT_TRUE(testing_support::finish(commands.emailsToPasteMenu()));
    EXPECT_EQ(pasteMenu, QStringList({"old@x.example", "new@x.example", "li@x.example",
                                      "team+news@x.example"}));
}

TEST_F(LinkCommandsTest, FavouritesAddEditAndDeleteRewriteTheFile) {
    writeFile(folder.favouritesPath(),
              "<html><head><title>favorites</title></head><body><table>\r\n"
              "<tr><th>地址</th></tr>\r\n</table></body></html>\r\n");
    tabs.openInNewTab(QUrl("http://x.example/"), true, true);
    tabs.selectTab(2);
    page(1)->pageUrl = QUrl("http://x.example/it's");
    page(1)->pageTitle = "<script>alert('x')</script>";
    dialogs.links = {std::nullopt};
    commands.saveCurrentToLink(); // cancelled
    EXPECT_FALSE(fileText(folder.favouritesPath()).contains("x.example"));
    dialogs.links = {std::make_pair(QString("http://x.example/it's"), page(1)->pageTitle)};
    commands.saveCurrentToLink();
    EXPECT_EQ(dialogs.linkAsked.last(),
              std::make_pair(QString("http://x.example/it's"), page(1)->pageTitle));
    QString file = fileText(folder.favouritesPath());
    EXPECT_FALSE(file.contains("<script>"));
    EXPECT_EQ(page(0)->reloadCount, 1);
    dialogs.links = {std::make_pair(QString("http://x.example/it's"), QString("again"))};
    commands.saveCurrentToLink(); // the same address once more: said, not added
    EXPECT_EQ(fileText(folder.favouritesPath()), file);
    EXPECT_EQ(dialogs.shown.last().text, "link.htm里已经有这个网址了：http://x.example/it's");
    const qsizetype at = file.indexOf("name=\"B1");
    const QString key = file.mid(at + 8, 15);

    // A page that is not the favourites page cannot edit it.
    commands.favouritesButton(page(1), "B2" + key);
    EXPECT_TRUE(fileText(folder.favouritesPath()).contains(key));

    page(0)->pageUrl = folder.favouritesUrl();
    dialogs.links = {std::make_pair(QString("http://y.example/"), QString("说明"))};
    commands.favouritesButton(page(0), "B1" + key);
    EXPECT_EQ(dialogs.linkAsked.last(),
              std::make_pair(QString("http://x.example/it's"), page(1)->pageTitle));
    file = fileText(folder.favouritesPath());
    EXPECT_TRUE(file.contains("location.href='http://y.example/'"));
    EXPECT_TRUE(file.contains(">&nbsp;说明<"));
    commands.favouritesButton(page(0), "B2" + key);
    // Added, edited and deleted: the file is as it was, byte for byte.
    EXPECT_EQ(fileText(folder.favouritesPath()),
              "<html><head><title>favorites</title></head><body><table>\r\n"
              "<tr><th>地址</th></tr>\r\n</table></body></html>\r\n");
}

// link.htm that cannot take a row is left alone, and the user is told why.
TEST_F(LinkCommandsTest, AFavouriteThatCannotBeAddedSaysWhy) {
    const struct {
        QByteArray content; // none: no file
        const char *why;
    } cases[] = {{QByteArray(), "无法读取 link.htm"},
                 {"", "link.htm 是空的"},
                 {"\x01garbage\xff", "没有收藏的表格"},
                 {"<html><body>no table</body></html>", "没有收藏的表格"}};
    for (const auto &c : cases) {
        QFile::remove(folder.favouritesPath());
        if (!c.content.isNull()) {
            QFile file(folder.favouritesPath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        dialogs.links = {std::make_pair(QString("http://a.example/"), QString("甲"))};
        commands.saveCurrentToLink();
        ASSERT_FALSE(dialogs.shown.isEmpty()) << c.why;
        EXPECT_TRUE(dialogs.shown.last().text.startsWith("没有添加到收藏夹："));
        EXPECT_TRUE(dialogs.shown.last().text.contains(c.why))
            << dialogs.shown.last().text.toStdString();
        QFile file(folder.favouritesPath());
        EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), c.content);
        dialogs.shown.clear();
    }
}

TEST_F(LinkCommandsTest, FavouritesChangedWhileTheDialogIsOpenAreNotOverwritten) {
    const QString header = "<html><head><title>favorites</title></head><body><table>\r\n"
                           "<tr><th>地址</th></tr>\r\n</table></body></html>\r\n";
    writeFile(folder.favouritesPath(), header);
    dialogs.links = {std::make_pair(QString("http://a.example/"), QString("甲"))};
    commands.saveCurrentToLink();
    const QString withA = fileText(folder.favouritesPath());
    ASSERT_TRUE(withA.contains("a.example"));
    const QString key = withA.mid(withA.indexOf("name=\"B1") + 8, 15);

    // Another copy of the program adds a row while this one's edit dialog is open: the edit
    // made from the older text would drop that row.
    const QString withB =
        links::favourites::addEntry(withA, "http://b.example/", "乙", links::favourites::newKey())
            .value();
    dialogs.whileLinkAsked = [&] { writeFile(folder.favouritesPath(), withB); };
    dialogs.links = {std::make_pair(QString("http://c.example/"), QString("丙"))};
    page(0)->pageUrl = folder.favouritesUrl();
    commands.favouritesButton(page(0), "B1" + key);
    EXPECT_EQ(fileText(folder.favouritesPath()), withB);
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(
        dialogs.shown.last().text.startsWith("无法写入 link.htm：link.htm在读取之后被修改过"))
        << dialogs.shown.last().text.toStdString();

    // Without anything happening meanwhile, shortening an entry is an edit like any other.
    dialogs.whileLinkAsked = nullptr;
    dialogs.links = {std::make_pair(QString("http://c/"), QString())};
    commands.favouritesButton(page(0), "B1" + key);
    EXPECT_TRUE(fileText(folder.favouritesPath()).contains("location.href='http://c/'"));
    EXPECT_TRUE(fileText(folder.favouritesPath()).contains("b.example"));
}

} // namespace
