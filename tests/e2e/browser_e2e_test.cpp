// The browser with the real engine, on pages served from 127.0.0.1 and files the test writes.
#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "common/ansifile.h"
#include "scriptwait.h"
#include "shell/commands.h"
#include "shell/downloadswindow.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "shell/toolbar.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/pagewait.h"
#include "support/programfoldercopy.h"
#include "support/waitfor.h"
#include "windowfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

using browser::BrowserView;
using testing_support::pause;
using testing_support::waitFor;

class BrowserEndToEnd : public testing_support::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        server.addPage("/links.htm", "<html><head><title>links</title></head><body>"
                                     "<a id='go' href='/target.htm' style='font-size:40px'>go</a>"
                                     "<br><a id='blank' target='_blank' href='/t1.htm' "
                                     "style='font-size:40px'>blank</a></body></html>");
        server.addPage("/archive.zip", QByteArray("PK\x03\x04 not really a zip"),
                       "application/zip");
        server.addPage("/form.htm",
                       "<html><body><input id='name' type='text' value='x'>"
                       "<input id='box' type='checkbox'><textarea id='memo'></textarea>"
                       "</body></html>");
        server.addPage(
            "/news/chinese.htm",
            QString::fromUtf8("<html><head><meta charset=\"utf-8\"><title>中文标题</title></head>"
                              "<body><h1 id='h'>第一章</h1><p id='p'>正文：风雨之后见彩虹。</p>"
                              "<a href='sub/page2.htm'>下一页</a> <a href='/root.htm'>首页</a>"
                              "</body></html>")
                .toUtf8());
        for (const char *path : {"/target.htm", "/t1.htm", "/t2.htm"})
            server.addPage(path, QByteArray("<html><head><title>") + path +
                                     "</title></head><body>page</body></html>");
    }
    void click(BrowserView *view, const QString &id) {
        QWidget *target = static_cast<browser::WebEngineView *>(view)->engineView()->focusProxy();
        const QPoint at = centreOf(view, id);
        ASSERT_FALSE(at.isNull());
        QTest::mouseMove(target, at);
        ASSERT_TRUE(waitFor([&] { return tabs().statusText().startsWith("http"); }));
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
    }
};

TEST_F(BrowserEndToEnd, StartsWithTheFavouritesPageInTheFirstTab) {
    BrowserView *first = tabs().viewAt(0);
    EXPECT_EQ(first->url(), QUrl::fromLocalFile(QDir(programDir.path()).filePath("link.htm")));
    EXPECT_EQ(first->title(), "favorites");
    EXPECT_EQ(tabs().tabKeyAt(1), "WebPage1");
    // The page is GB18030 and says so: its Chinese text reads right.
    EXPECT_TRUE(testing_support::htmlNow(first).value_or(QString()).contains(
        QString::fromUtf8("链接地址")));
}

TEST_F(BrowserEndToEnd, WithNewOnAClickedLinkOpensInANewTabAndThePageStays) {
    BrowserView *page = openAndShow(server.url("/links.htm"));
    window->toolbar().setChecked("new", true);
    testing_support::pause(800); // past the new-tab throttle
    click(page, "go");
    ASSERT_TRUE(waitFor([&] { return tabs().tabCount() == 3; }));
    BrowserView *opened = tabs().viewAt(2);
    ASSERT_TRUE(
        waitFor([&] { return loaded(opened) && opened->url() == server.url("/target.htm"); }));
    EXPECT_EQ(page->url(), server.url("/links.htm"));
    EXPECT_EQ(tabs().tabKeyAt(3), "WebPage3");
}

TEST_F(BrowserEndToEnd, BlankTargetsAndWindowOpenMakeOneTabEachAndRepeatsNone) {
    BrowserView *page = openAndShow(server.url("/links.htm"));
    testing_support::pause(800);
    click(page, "blank");
    ASSERT_TRUE(waitFor([&] { return tabs().tabCount() == 3; }));
    ASSERT_TRUE(waitFor([&] { return tabs().viewAt(2)->url() == server.url("/t1.htm"); }));
    testing_support::pause(800);
    js(page, QString("window.open('%1')").arg(server.url("/t2.htm").toString()));
    ASSERT_TRUE(waitFor([&] { return tabs().tabCount() == 4; }));
    ASSERT_TRUE(waitFor([&] { return loaded(tabs().viewAt(3)); }));
    testing_support::pause(800);
    js(page, QString("window.open('%1')").arg(server.url("/t2.htm").toString()));
    testing_support::pause(1500);
    EXPECT_EQ(tabs().tabCount(), 4);
    EXPECT_EQ(tabs().viewAt(3)->url(), server.url("/t2.htm"));
}

TEST_F(BrowserEndToEnd, ClosingTheSecondOfThreeTabsKeepsTheThirdOnItsView) {
    openAndShow(server.url("/t1.htm"));
    testing_support::pause(800);
    BrowserView *third = openAndShow(server.url("/t2.htm"));
    tabs().selectTab(2);
    tabs().closeCurrent();
    ASSERT_EQ(tabs().tabCount(), 2);
    EXPECT_EQ(tabs().tabKeyAt(2), "WebPage3");
    EXPECT_EQ(tabs().viewAt(2), third);
    tabs().selectTab(2);
    EXPECT_EQ(tabs().currentView()->url(), server.url("/t2.htm"));
}

TEST_F(BrowserEndToEnd, DeleteFromHardDeletesAFileWithASpaceAndChineseInItsName) {
    QTemporaryDir pages;
    const QString path = QDir(pages.path()).filePath(QString::fromUtf8("我的 网页#1.htm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><head><title>local</title></head><body>local page</body></html>");
    file.close();
    openAndShow(QUrl::fromLocalFile(path));
    EXPECT_EQ(tabs().currentView()->title(), "local");
    tabs().deleteCurrentFromDisk();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(tabs().tabCount(), 1);
    ASSERT_EQ(dialogs.shown.size(), 1); // the question, and no failure report
}

TEST_F(BrowserEndToEnd, ALinkToAFileTheEngineDoesNotShowIsDownloadedIntoTheDownloadFolder) {
    QTemporaryDir saveDir;
    window->setDownloadFolder(saveDir.path());
    window->openAddress(server.url("/archive.zip").toString());
    const QString path = QDir(saveDir.path()).filePath("archive.zip");
    ASSERT_TRUE(
        waitFor([&] { return window->panelText("s2") == QString::fromUtf8("下载完成：") + path; }));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("PK\x03\x04 not really a zip"));
    // The same file again: the user is asked, and "No" keeps the file.
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("mine");
    file.close();
    // An address opened without a click in the page asks first; then the same name is asked
    // about.
    dialogs.answers = {commands::Dialogs::Answer::Yes};
    dialogs.overwriteAnswers = {commands::Dialogs::OverwriteAnswer::Skip};
    pause(800);
    window->openAddress(server.url("/archive.zip").toString());
    ASSERT_TRUE(waitFor(
        [&] { return window->panelText("s2").startsWith(QString::fromUtf8("已跳过下载")); }));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "mine");
    EXPECT_EQ(dialogs.overwriteAsked, QStringList({"archive.zip"}));
}

// A connection that drops halfway fails the download with its reason, never "下载中" for ever;
// 继续 in the downloads list takes it up and the file comes whole.
TEST_F(BrowserEndToEnd, ADownloadWhoseConnectionDropsFailsAndGoesOnWhenResumed) {
    QTemporaryDir downloadDir;
    window->setDownloadFolder(downloadDir.path());
    QByteArray body(256 * 1024, 'z');
    body.prepend("PK\x03\x04");
    server.addPage("/cut.zip", body, "application/zip");
    server.dropPage("/cut.zip", 100 * 1024, 1000);      // the engine's own retries fail too
    dialogs.answers = {commands::Dialogs::Answer::Yes}; // typed, so the page started it
    window->openAddress(server.url("/cut.zip").toString());
    ASSERT_TRUE(waitFor(
        [&] { return window->panelText("s2").startsWith(QString::fromUtf8("下载中断")); }, 40000))
        << window->panelText("s2").toStdString() << " " << server.requestsFor("/cut.zip");
    EXPECT_EQ(dialogs.shown.size(), 1) << server.requestsFor("/cut.zip"); // asked once only
    server.dropPage("/cut.zip", 0, 0);                                    // the network is back
    window->showDownloads();
    auto *list = window->findChild<shell::DownloadsWindow *>("downloads");
    ASSERT_TRUE(list);
    QTreeWidgetItem *row = list->tree()->topLevelItem(0);
    EXPECT_TRUE(row->text(2).startsWith(QString::fromUtf8("失败（"))) << row->text(2).toStdString();
    list->tree()->setCurrentItem(row);
    list->resumeSelected();
    const QString path = QDir(downloadDir.path()).filePath("cut.zip");
    ASSERT_TRUE(waitFor([&] {
        return window->panelText("s2") == QString::fromUtf8("下载完成：") + path;
    })) << window->panelText("s2").toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), body);
    EXPECT_EQ(list->tree()->topLevelItemCount(), 1);
    EXPECT_EQ(list->tree()->topLevelItem(0)->text(2), QString::fromUtf8("完成"));
}

TEST_F(BrowserEndToEnd, APageThatCannotBeReachedShowsAnErrorInItsTab) {
    BrowserView *view = nullptr;
    window->openAddress("http://127.0.0.1:1/");
    view = tabs().viewAt(1);
    ASSERT_TRUE(waitFor([&] { return loaded(view); }));
    EXPECT_FALSE(testing_support::htmlNow(view).value_or(QString()).isEmpty());
    EXPECT_EQ(tabs().tabCount(), 2);
}

TEST_F(BrowserEndToEnd, MenuEntriesArePastedIntoTheFocusedTextField) {
    BrowserView *page = openAndShow(server.url("/form.htm"));
    const QString tricky = QString::fromUtf8("引号\"'反斜杠\\</script>");
    js(page, "document.getElementById('name').focus()");
    EXPECT_EQ(testing_support::focusedTypeNow(page), "text");
    testing_support::chooseEntry(window->commands(), tricky, tricky);
    EXPECT_EQ(js(page, "document.getElementById('name').value").toString(), "x" + tricky);
    js(page, "document.getElementById('box').focus()");
    EXPECT_EQ(testing_support::focusedTypeNow(page), "checkbox");
    testing_support::chooseEntry(window->commands(), "y", "y");
    js(page, "document.getElementById('memo').focus()");
    testing_support::chooseEntry(window->commands(), "z", "z");
    EXPECT_EQ(js(page, "document.getElementById('memo').value").toString(), "z");
}

// Selects the text of an element and waits until the engine reports the selection.
void selectElement(BrowserView *view, const QString &id) {
    testing_support::WindowFixture::js(
        view,
        QString("window.getSelection().selectAllChildren(document.getElementById('%1'))").arg(id));
    ASSERT_TRUE(testing_support::waitFor([&] { return !view->selectedText().isEmpty(); }));
}

TEST_F(BrowserEndToEnd, SavedPagesReopenWithTheirChineseTextAndAbsoluteLinks) {
    QTemporaryDir saveDir;
    window->setSavePath(saveDir.path());
    BrowserView *page = openAndShow(server.url("/news/chinese.htm"));
    selectElement(page, "h");
    testing_support::chooseEntry(window->commands(), "onlysave_x_j");
    const QString saved = QDir(saveDir.path()).filePath(QString::fromUtf8("第一章.htm"));
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_EQ(window->panelText("s2"), QString::fromUtf8("该网页已经保存到") + saved);

    selectElement(page, "p");
    testing_support::chooseEntry(window->commands(), "savetext");
    QFile text(QDir(saveDir.path()).filePath(QString::fromUtf8("正文：风雨之后见彩虹。.txt")));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QString converted = common::decodeText(text.readAll());
    EXPECT_TRUE(converted.contains(QString::fromUtf8("正文：风雨之后见彩虹。")))
        << converted.toStdString();
    EXPECT_TRUE(converted.contains(QString::fromUtf8("下一页")));

    pause(800);
    BrowserView *reopened = openAndShow(QUrl::fromLocalFile(saved));
    EXPECT_EQ(reopened->title(), QString::fromUtf8("中文标题"));
    EXPECT_TRUE(testing_support::htmlNow(reopened).value_or(QString()).contains(
        QString::fromUtf8("风雨之后见彩虹")));
    EXPECT_EQ(js(reopened, "document.links[0].href").toString(),
              server.url("/news/sub/page2.htm").toString());
    EXPECT_EQ(js(reopened, "document.links[1].href").toString(),
              server.url("/root.htm").toString());
}

TEST_F(BrowserEndToEnd, SaveAllWSavesEveryTabButTheFirst) {
    QTemporaryDir saveDir;
    window->setSavePath(saveDir.path());
    openAndShow(server.url("/news/chinese.htm"));
    pause(800);
    openAndShow(server.url("/t1.htm"));
    testing_support::chooseEntry(window->commands(), "saveallo");
    EXPECT_EQ(QDir(saveDir.path()).entryList(QDir::Files, QDir::Name),
              QStringList({"t1htm.htm", QString::fromUtf8("中文标题.htm")}));
    EXPECT_EQ(window->panelText("s2"),
              QString::fromUtf8("所有打开网页已经保存到") + saveDir.path());
}

// The rule's dialog shows its example markers as a page's source may have them; the engine
// gives the same tags with quoted attributes.
TEST_F(BrowserEndToEnd, TheExtractionRuleNamesAServedChapterPage) {
    server.addPage("/chapter1.htm",
                   QString::fromUtf8("<html><head><title>t</title></head><body><p>导航</p>"
                                     "<FONT color=#0000ff size=4><B>第一章 风雨</B></FONT>"
                                     "<p>正文</p></body></html>")
                       .toUtf8());
    QTemporaryDir saveDir;
    window->setSavePath(saveDir.path());
    openAndShow(server.url("/chapter1.htm"));
    dialogs.markers = {{"<FONT color=#0000ff size=4><B>", "</B></FONT>"}};
    ASSERT_TRUE(window->commands().toggleExtractionRule());
    testing_support::chooseEntry(window->commands(), "saveallo");
    EXPECT_EQ(QDir(saveDir.path()).entryList(QDir::Files),
              QStringList({QString::fromUtf8("第一章风雨.htm")}));
    EXPECT_EQ(window->panelText("s2"),
              QString::fromUtf8("所有打开网页已经保存到") + saveDir.path());
}

TEST_F(BrowserEndToEnd, OpenAllLinksGivesEveryLinkATabInPageOrder) {
    QByteArray html = "<html><body>";
    for (int i = 0; i < 100; ++i) {
        html += "<a href='/l" + QByteArray::number(i) + ".htm'>" + QByteArray::number(i) + "</a> ";
        server.addPage(QString("/l%1.htm").arg(i), "<html><head><title>l" + QByteArray::number(i) +
                                                       "</title></head><body>x</body></html>");
    }
    server.addPage("/hundred.htm", html + "</body></html>");
    openAndShow(server.url("/hundred.htm"));
    testing_support::chooseEntry(window->commands(), "openallw");
    ASSERT_EQ(tabs().tabCount(), 102);
    EXPECT_EQ(window->panelText("s1"), "100");
    ASSERT_TRUE(waitFor(
        [&] {
            for (int position = 3; position <= 102; ++position) {
                if (tabs().viewAtPosition(position)->url().isEmpty() ||
                    tabs().viewAtPosition(position)->isBusy())
                    return false;
            }
            return true;
        },
        60000));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(tabs().viewAtPosition(i + 3)->url(), server.url(QString("/l%1.htm").arg(i)));
}

TEST_F(BrowserEndToEnd, FavouritesEntriesAreAddedEditedAndDeletedByTheirButtons) {
    BrowserView *favourites = tabs().viewAt(0);
    openAndShow(server.url("/t1.htm"));
    dialogs.links = {
        std::make_pair(server.url("/t1.htm").toString(), QString::fromUtf8("第一个 <收藏>"))};
    testing_support::chooseEntry(window->commands(), "savehtol");
    ASSERT_TRUE(waitFor([&] {
        return testing_support::htmlNow(favourites)
            .value_or(QString())
            .contains(QString::fromUtf8("第一个 &lt;收藏&gt;"));
    }));
    const QString html = testing_support::htmlNow(favourites).value_or(QString());
    const QString key = html.mid(html.indexOf("name=\"B1") + 8, 15);
    tabs().selectTab(1);

    const auto clickButton = [&](const QString &name, const std::function<bool()> &landed) {
        return clickElement(favourites, QString("document.getElementsByName('%1')[0]").arg(name),
                            landed);
    };
    dialogs.links = {
        std::make_pair(QString("http://changed.example/"), QString::fromUtf8("改过的"))};
    const qsizetype asked = dialogs.linkAsked.size();
    ASSERT_TRUE(clickButton("B1" + key, [&] { return dialogs.linkAsked.size() > asked; }));
    ASSERT_TRUE(waitFor([&] {
        return testing_support::htmlNow(favourites)
            .value_or(QString())
            .contains(QString::fromUtf8("改过的"));
    }));
    EXPECT_EQ(dialogs.linkAsked.last().second, QString::fromUtf8("第一个 <收藏>"));
    EXPECT_TRUE(testing_support::htmlNow(favourites)
                    .value_or(QString())
                    .contains("http://changed.example/"));
    EXPECT_EQ(tabs().tabCount(), 2); // the click opened nothing

    ASSERT_TRUE(clickButton("B2" + key, [&] {
        return !testing_support::htmlNow(favourites).value_or(key).contains(key);
    }));
    ASSERT_TRUE(waitFor(
        [&] { return !testing_support::htmlNow(favourites).value_or(QString()).contains(key); }));
    EXPECT_TRUE(testing_support::htmlNow(favourites)
                    .value_or(QString())
                    .contains(QString::fromUtf8("链接地址"))); // the header row stays
}

TEST_F(BrowserEndToEnd, AClickOnAFavouriteOpensItInANewTabAndTheFavouritesStay) {
    BrowserView *favourites = tabs().viewAt(0);
    openAndShow(server.url("/t2.htm"));
    dialogs.links = {std::make_pair(server.url("/t2.htm").toString(), QString::fromUtf8("第二页"))};
    testing_support::chooseEntry(window->commands(), "savehtol");
    ASSERT_TRUE(waitFor([&] {
        return testing_support::htmlNow(favourites)
            .value_or(QString())
            .contains(QString::fromUtf8("第二页"));
    }));
    pause(800);
    openAndShow(server.url("/t1.htm"));
    tabs().selectTab(1);
    pause(800);
    const QString cell =
        "Array.from(document.querySelectorAll('td')).find(c => c.textContent.includes('第二页'))";
    ASSERT_TRUE(clickElement(favourites, cell));
    ASSERT_TRUE(waitFor([&] { return tabs().tabCount() == 4; }));
    BrowserView *opened = tabs().viewAtPosition(4);
    EXPECT_TRUE(waitFor([&] { return opened->url() == server.url("/t2.htm"); }));
    EXPECT_EQ(tabs().viewAtPosition(3)->url(), server.url("/t1.htm")); // untouched
    EXPECT_EQ(favourites->url(), QUrl::fromLocalFile(QDir(programDir.path()).filePath("link.htm")));

    // A "javascript:" entry written into link.htm by another program runs nothing.
    QFile file(QDir(programDir.path()).filePath("link.htm"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray html = file.readAll();
    file.close();
    html.replace("</table>", "<tr><td id=evil OnClick=\"location.href='javascript:document.title="
                             "\\'ran\\''\">evil</td></tr></table>");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(html);
    file.close();
    tabs().selectTab(1); // the favourite opened above came to the front
    tabs().reloadView(favourites);
    ASSERT_TRUE(clickElement(favourites, "document.getElementById('evil')"));
    ASSERT_TRUE(waitFor([&] { return window->panelText("s2").contains("javascript:"); }))
        << window->panelText("s2").toStdString();
    EXPECT_NE(favourites->title(), "ran");
    EXPECT_EQ(tabs().tabCount(), 4);
}

TEST_F(BrowserEndToEnd, AutoFillFillsAFormByNamesAndLabels) {
    server.addPage("/register.htm",
                   QString::fromUtf8("<html><body><form>用户名：<input type=text name=UserName>"
                                     "<label>所在城市：</label><input type=text name=c1>"
                                     "<input type=hidden name=user value=keep><textarea "
                                     "name=Memo></textarea></form></body></html>")
                       .toUtf8());
    QDir(programDir.path()).mkpath("inputtemplate");
    ASSERT_TRUE(common::writeTextFile(
        QDir(programDir.path()).filePath("inputtemplate/reg.ini"),
        QString::fromUtf8("1:[+user+username+] 2:[张三\"'] 3:[用户名] "
                          "4:[+city+] 5:[北京] 6:[所在城市] 7:[+memo+] 8:[备注</script>] 9:[]")));
    BrowserView *page = openAndShow(server.url("/register.htm"));
    testing_support::chooseEntry(window->commands(), "all_reg", "x");
    EXPECT_EQ(js(page, "document.getElementsByName('UserName')[0].value").toString(),
              QString::fromUtf8("张三\"'"));
    EXPECT_EQ(js(page, "document.getElementsByName('c1')[0].value").toString(),
              QString::fromUtf8("北京"));
    EXPECT_EQ(js(page, "document.getElementsByName('user')[0].value").toString(), "keep");
    EXPECT_EQ(js(page, "document.getElementsByName('Memo')[0].value").toString(),
              QString::fromUtf8("备注</script>"));
}

// Copies made in another program reach the capture: runs under a real X server only
// (ctest runs it again under xvfb-run), with xclip as the other program.
TEST_F(BrowserEndToEnd, ChangeCaptureSavesWhatAnotherProgramCopies) {
    if (QGuiApplication::platformName() != "xcb" ||
        QStandardPaths::findExecutable("xclip").isEmpty())
        GTEST_SKIP() << "needs an X server and xclip";
    QTemporaryDir saveDir;
    window->setSavePath(saveDir.path());
    testing_support::chooseEntry(window->commands(), "beginsave", "x");
    EXPECT_TRUE(window->commands().isCapturing("beginsave"));
    QProcess xclip;
    xclip.start("xclip", {"-selection", "clipboard", "-i"});
    ASSERT_TRUE(xclip.waitForStarted());
    xclip.write(QString::fromUtf8("来自别的程序的文字").toUtf8());
    xclip.closeWriteChannel();
    const QString saved =
        QDir(saveDir.path()).filePath(QString::fromUtf8("来自别的程序的文字.htm"));
    EXPECT_TRUE(waitFor([&] { return QFile::exists(saved); }, 10000));
    EXPECT_EQ(common::readTextFile(saved).text, QString::fromUtf8("来自别的程序的文字\r\n"));
    testing_support::chooseEntry(window->commands(), "beginsave", "x");
    EXPECT_FALSE(window->commands().isCapturing("beginsave"));
    xclip.kill();
    xclip.waitForFinished();
}

} // namespace
