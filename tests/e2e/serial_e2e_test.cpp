// A served serial saved chapter by chapter with the real engine, then made into a book.
#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "common/ansifile.h"
#include "scriptwait.h"
#include "serial/chainstate.h"
#include "serial/chapterfiles.h"
#include "shell/commands.h"
#include "shell/instanceserver.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/commandwait.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/programfoldercopy.h"
#include "support/waitfor.h"
#include "unit/serial/epubcheck.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

constexpr int kChapters = 30;

QString paragraph(int chapter, int number) {
    return QStringLiteral("第%1章正文第%2段：夜雨敲窗，灯下的人把旧信又读了一遍，"
                          "想起那年春天在江边走过的路，和路边开了又谢的桃花。")
        .arg(chapter)
        .arg(number);
}

// A chapter page as serial sites make them: a menu, adverts, a list of other books around the
// text, "上一章 目录 下一章" above and below it.
QByteArray chapterPage(int chapter) {
    const QString previous =
        chapter > 1 ? QStringLiteral("/book/%1.html").arg(chapter - 1) : QStringLiteral("/book/");
    const QString next = chapter < kChapters ? QStringLiteral("/book/%1.html").arg(chapter + 1)
                                             : QStringLiteral("/book/");
    const QString pager =
        QStringLiteral("<div class=\"pager\"><a href=\"%1\">上一章</a> "
                       "<a href=\"/book/\">目录</a> <a href=\"%2\">下一章</a></div>")
            .arg(previous, next);
    QString text;
    for (int p = 1; p <= 6; ++p)
        text += QStringLiteral("<p>") + paragraph(chapter, p) + QStringLiteral("</p>\n");
    const QString html =
        QStringLiteral(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>第%1章 长夜</title></head>"
            "<body><div id=\"menu\"><a href=\"/\">菜单首页</a> <a href=\"/top\">菜单排行榜</a> "
            "<a href=\"/new\">菜单最新更新</a></div>"
            "<div class=\"ad\">广告：充值就送书币，点击领取大礼包</div>%2"
            "<div id=\"content\"><h1>第%1章 长夜</h1>\n%3</div>%2"
            "<div class=\"sidebar\"><h3>侧栏热门小说</h3><ul><li><a href=\"/b/1\">侧栏别的书一</a>"
            "</li><li><a href=\"/b/2\">侧栏别的书二</a></li></ul></div>"
            "<div class=\"ad\">广告：下载客户端看书更快</div></body></html>")
            .arg(chapter)
            .arg(pager, text);
    return html.toUtf8();
}

// Right-clicks the page of `view` at `at` (again while no menu shows: the page may still be
// settling) and gives the entry `caption` of the menu that opens; null when none did.
// The entry `caption` of the page's right-click menu at the point that the script `where`
// gives as [x, y] in the page; nullptr when there is none.
QAction *pageMenuEntry(browser::BrowserView *view, const QString &where, const QString &caption) {
    auto *engine = static_cast<browser::WebEngineView *>(view);
    const QVariantList box = testing_support::scriptNow(engine->page(), where).toList();
    EXPECT_EQ(box.size(), 2);
    if (box.size() != 2)
        return nullptr;
    const QPoint at(box[0].toInt(), box[1].toInt());
    QWidget *target = engine->engineView()->focusProxy();
    QAction *entry = nullptr;
    int tries = 0;
    testing_support::waitFor([&] {
        if (tries++ % 20 == 0) {
            QTest::mouseMove(target, at);
            QTest::mouseClick(target, Qt::RightButton, {}, at);
        }
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *menu = qobject_cast<QMenu *>(widget); menu && menu->isVisible()) {
                for (QAction *action : menu->actions()) {
                    if (action->text() == caption)
                        entry = action;
                }
            }
        }
        return entry != nullptr;
    });
    return entry;
}

class SerialEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::copyStagedProgramFolder(programDir.path());
        for (int chapter = 1; chapter <= kChapters; ++chapter)
            server.addPage(QStringLiteral("/book/%1.html").arg(chapter), chapterPage(chapter));
        server.addPage("/book/", "<html><head><title>目录</title></head><body>目录</body></html>");
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs);
        window->setSavePath(saveDir.path());
        window->resize(1000, 700);
        window->show();
    }
    void TearDown() override { window.reset(); }

    // Waits until the series in `folder` is saved to its end (with `count` chapters when
    // given) and its command has ended: the chain writes its state a moment before.
    bool chainEnded(const QString &folder, int count = -1, int timeoutMs = 60000) {
        return testing_support::waitFor(
            [&] {
                const auto state = serial::readChainState(folder);
                return state && state->finished && (count < 0 || state->count == count) &&
                       !window->commands().runner().isBusy();
            },
            timeoutMs);
    }

    // Opens `url` in a new tab, shows it and waits until its page has come; null when it did
    // not come.
    browser::BrowserView *openAndShow(const QUrl &url) {
        window->openAddress(url.toString());
        shell::TabManager &tabs = window->tabs();
        tabs.selectTab(tabs.tabCount());
        browser::BrowserView *view = tabs.currentView();
        const bool shown = testing_support::waitFor(
            [&] { return view->url() == url && !view->isBusy() && !view->title().isEmpty(); });
        return shown ? view : nullptr;
    }

    QTemporaryDir programDir;
    QTemporaryDir saveDir;
    testing_support::LocalHttpServer server;
    testing_support::FakeDialogs dialogs;
    browser::WebEngineViewFactory factory{QString()};
    std::unique_ptr<shell::MainWindow> window;
};

TEST_F(SerialEndToEnd, ThirtyChaptersFromTheFirstPageToABookInTwoCommands) {
    const QUrl first = server.url("/book/1.html");
    browser::BrowserView *view = openAndShow(first);
    ASSERT_TRUE(view);

    dialogs.inputs = {QStringLiteral("长夜"), QStringLiteral("0 0 文本")};
    testing_support::chooseEntry(window->commands(), "serialstart", "从当前网页开始连续保存下一章");
    const QString series = QDir(saveDir.path()).filePath(QStringLiteral("长夜"));
    ASSERT_TRUE(chainEnded(series, -1, 120000));
    EXPECT_EQ(serial::readChainState(series)->count, kChapters);
    EXPECT_EQ(server.requestsFor("/book/30.html"), 1);
    EXPECT_EQ(server.requestsFor("/book/"), 0); // the link back to the index is not followed

    // No page names the author: the user is asked once, and the series keeps the answer.
    dialogs.folders = {series};
    dialogs.inputs = {QStringLiteral("夜雨客")};
    testing_support::chooseEntry(window->commands(), "serialbook", "合并成一本书");
    const QString book = QDir(saveDir.path()).filePath(QStringLiteral("长夜"));
    const common::TextFileContent text = common::readTextFile(book + ".txt");
    ASSERT_TRUE(text.ok) << window->panelText("s2").toStdString();
    EXPECT_TRUE(text.text.contains(QStringLiteral("作者：夜雨客")));
    EXPECT_EQ(serial::readChainState(series)->author, QStringLiteral("夜雨客"));
    qsizetype at = 0;
    for (int chapter = 1; chapter <= kChapters; ++chapter) {
        for (int p = 1; p <= 6; ++p) {
            const qsizetype found = text.text.indexOf(paragraph(chapter, p), at);
            ASSERT_GE(found, at) << "chapter " << chapter << " paragraph " << p;
            at = found;
        }
    }
    if (!QFile::exists(":/lumaro/js/readability.js"))
        GTEST_SKIP() << "Readability is not built in: chapters hold the whole page's text";
    for (const char *menu : {"菜单", "广告", "侧栏", "上一章"})
        EXPECT_FALSE(text.text.contains(QString::fromUtf8(menu))) << menu;

    const std::optional<EpubcheckResult> check = runEpubcheck(book + ".epub");
    if (!check)
        GTEST_SKIP() << "epubcheck (or java) is not installed: the EPUB was not validated";
    EXPECT_TRUE(check->passed) << check->report.toStdString();
}

// A contents page as sites make them: the latest chapters first, newest on top, then the whole
// list, between links to the site's other pages.
QByteArray contentsPage(int chapters) {
    QString html =
        QStringLiteral("<html><head><meta charset=\"utf-8\"><title>长夜最新章节目录</title>"
                       "</head><body><h1><a href=\"/\">小说网</a></h1><a href=\"/\">首页</a> <a "
                       "href=\"/top\">书架</a>"
                       "<h1>长夜</h1>"
                       "<p>作者：夜雨</p><div class=\"latest\">");
    for (int chapter = chapters; chapter > chapters - 2; --chapter)
        html += QStringLiteral("<a href=\"/book/%1.html\">第%1章 长夜</a>").arg(chapter);
    html += QStringLiteral("</div><div class=\"list\">");
    for (int chapter = 1; chapter <= chapters; ++chapter)
        html += QStringLiteral("<dd><a href=\"/book/%1.html\">第%1章 长夜</a></dd>").arg(chapter);
    return (html + QStringLiteral("</div><a href=\"/b/1\">别的书</a></body></html>")).toUtf8();
}

// Saving from the contents page takes its chapters in order, once each; when the page lists
// more later, a second run under the same name adds only the new ones after the others.
TEST_F(SerialEndToEnd, TheContentsPageGivesEveryChapterOnceAndTheNewOnesLater) {
    server.addPage("/list/", contentsPage(5));
    const QUrl contents = server.url("/list/");
    const QString series = QDir(saveDir.path()).filePath(QStringLiteral("长夜"));
    auto saveAll = [&](int expected) {
        browser::BrowserView *view = openAndShow(contents);
        ASSERT_TRUE(view);
        dialogs.inputs = {QStringLiteral("长夜"), QStringLiteral("0 0 文本")};
        testing_support::chooseEntry(window->commands(), "serialcontents", "从目录页保存全部章节");
        ASSERT_TRUE(chainEnded(series, expected, 60000))
            << (dialogs.shown.isEmpty() ? std::string() : dialogs.shown.last().text.toStdString());
        EXPECT_EQ(view->url(), contents); // the chapters were loaded in a tab of their own
    };
    saveAll(5);
    // The book's name from the page's heading, not its whole title or the site's heading.
    EXPECT_EQ(dialogs.proposedTexts.value(0), "长夜");
    EXPECT_EQ(serial::readChainState(series)->author, "夜雨");
    const QFileInfo first(QDir(series).filePath("0001 第1章 长夜.txt"));
    ASSERT_TRUE(first.exists()) << QDir(series).entryList().join(" ").toStdString();
    const QDateTime firstWritten = first.lastModified();

    server.addPage("/list/", contentsPage(8));
    saveAll(8);
    for (int chapter = 1; chapter <= 8; ++chapter)
        EXPECT_EQ(server.requestsFor(QStringLiteral("/book/%1.html").arg(chapter)), 1) << chapter;
    EXPECT_EQ(server.requestsFor("/book/9.html"), 0);
    EXPECT_TRUE(QFile::exists(QDir(series).filePath("0008 第8章 长夜.txt")));
    EXPECT_EQ(QFileInfo(first.filePath()).lastModified(), firstWritten);
    const common::TextFileContent index =
        common::readTextFile(QDir(series).filePath(serial::kIndexFileName));
    const auto entries = serial::parseIndex(index.text);
    ASSERT_EQ(entries.size(), 8);
    for (int chapter = 1; chapter <= 8; ++chapter)
        EXPECT_EQ(entries[chapter - 1].address,
                  server.url(QStringLiteral("/book/%1.html").arg(chapter)));
}

// A contents list over three pages, each with the latest chapters on top, newest first: all
// of it is read before anything is saved, and the book goes by the list proper.
TEST_F(SerialEndToEnd, AContentsListOverThreePagesIsSavedWholeInItsOrder) {
    for (int part = 1; part <= 3; ++part) {
        QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>长夜目录</title>"
                                      "</head><body><h1>长夜</h1><div class=\"latest\">");
        for (int chapter = kChapters; chapter > kChapters - 3; --chapter)
            html += QStringLiteral("<a href=\"/book/%1.html\">第%1章 长夜</a>").arg(chapter);
        html += QStringLiteral("</div><div class=\"list\">");
        for (int chapter = part * 10 - 9; chapter <= part * 10; ++chapter)
            html +=
                QStringLiteral("<dd><a href=\"/book/%1.html\">第%1章 长夜</a></dd>").arg(chapter);
        if (part < 3)
            html += QStringLiteral("<a href=\"/list/%1.html\">下一页</a>").arg(part + 1);
        server.addPage(QStringLiteral("/list/%1.html").arg(part),
                       (html + "</div></body></html>").toUtf8());
    }
    browser::BrowserView *view = openAndShow(server.url("/list/1.html"));
    ASSERT_TRUE(view);
    const QString series = QDir(saveDir.path()).filePath(QStringLiteral("长夜"));
    dialogs.inputs = {QStringLiteral("长夜"), QStringLiteral("0 0 文本")};
    testing_support::chooseEntry(window->commands(), "serialcontents", "从目录页保存全部章节");
    ASSERT_TRUE(chainEnded(series, -1, 90000))
        << (dialogs.shown.isEmpty() ? std::string() : dialogs.shown.last().text.toStdString());
    EXPECT_EQ(serial::readChainState(series)->count, kChapters);
    const common::TextFileContent index =
        common::readTextFile(QDir(series).filePath(serial::kIndexFileName));
    const auto entries = serial::parseIndex(index.text);
    ASSERT_EQ(entries.size(), kChapters);
    for (int chapter = 1; chapter <= kChapters; ++chapter)
        EXPECT_EQ(entries[chapter - 1].address,
                  server.url(QStringLiteral("/book/%1.html").arg(chapter)));

    // The same from a script (lumaro --serial-contents URL --series NAME): no dialog at all.
    const int asked = dialogs.shown.size() + dialogs.inputs.size();
    shell::InstanceRequest script;
    script.serialContents = server.url("/list/1.html");
    script.series = QStringLiteral("长夜脚本");
    ASSERT_TRUE(shell::carryOut(*window, script));
    const QString scripted = QDir(saveDir.path()).filePath(QStringLiteral("长夜脚本"));
    ASSERT_TRUE(chainEnded(scripted, -1, 90000)) << window->panelText("s2").toStdString();
    EXPECT_EQ(serial::readChainState(scripted)->count, kChapters);
    EXPECT_EQ(dialogs.shown.size() + dialogs.inputs.size(), asked);
}

// What scripts hand over (lumaro --serial-start URL --series NAME, then --serial-update NAME)
// saves without a single dialog; the update appends the chapter that appeared meanwhile.
TEST_F(SerialEndToEnd, AScriptStartsAChainAndLaterFetchesTheNewChapter) {
    server.setCacheable(true); // the update check asks the server all the same
    const QString series = QDir(saveDir.path()).filePath(QStringLiteral("长夜尾声"));
    auto finishedWith = [&](int count) { return chainEnded(series, count); };
    shell::InstanceRequest start;
    start.serialStart = server.url("/book/27.html");
    start.series = QStringLiteral("长夜尾声");
    ASSERT_TRUE(shell::carryOut(*window, start));
    ASSERT_TRUE(finishedWith(4)); // 27 to 30
    const QFileInfo first(QDir(series).filePath("0001 第27章 长夜.txt"));
    ASSERT_TRUE(first.exists()) << QDir(series).entryList().join(" ").toStdString();
    const QDateTime firstWritten = first.lastModified();

    // The site adds chapter 31 after the last one.
    QString last = QString::fromUtf8(chapterPage(kChapters));
    last.replace(QStringLiteral("<a href=\"/book/\">下一章</a>"),
                 QStringLiteral("<a href=\"/book/31.html\">下一章</a>"));
    server.addPage(QStringLiteral("/book/%1.html").arg(kChapters), last.toUtf8());
    server.addPage("/book/31.html", chapterPage(31));
    shell::InstanceRequest update;
    update.serialUpdate = true;
    update.series = QStringLiteral("长夜尾声");
    ASSERT_TRUE(shell::carryOut(*window, update));
    ASSERT_TRUE(finishedWith(5));
    EXPECT_TRUE(QFile::exists(QDir(series).filePath("0005 第31章 长夜.txt")))
        << QDir(series).entryList().join(" ").toStdString();
    EXPECT_EQ(QFileInfo(first.filePath()).lastModified(), firstWritten);
    EXPECT_EQ(server.requestsFor("/book/27.html"), 1);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.value(0).text.toStdString();
}

TEST_F(SerialEndToEnd, RightClickOnALinkTheChainDoesNotKnowCarriesItOn) {
    for (int chapter = 1; chapter <= 3; ++chapter) {
        const QString next =
            chapter < 3 ? QStringLiteral("/odd/%1.html").arg(chapter + 1) : QStringLiteral("/odd/");
        server.addPage(QStringLiteral("/odd/%1.html").arg(chapter),
                       QStringLiteral("<html><head><meta charset=\"utf-8\"><title>第%1节</title>"
                                      "</head><body><p>%2</p><a id=\"on\" href=\"%3\" "
                                      "style=\"font-size:40px\">继续阅读</a> <a href=\"/odd/\">"
                                      "目录</a></body></html>")
                           .arg(chapter)
                           .arg(paragraph(chapter, 1), next)
                           .toUtf8());
    }
    const QUrl first = server.url("/odd/1.html");
    browser::BrowserView *view = openAndShow(first);
    ASSERT_TRUE(view);
    dialogs.inputs = {QStringLiteral("奇书"), QStringLiteral("0 0 文本")};
    testing_support::chooseEntry(window->commands(), "serialstart", "从当前网页开始连续保存下一章");
    const QString series = QDir(saveDir.path()).filePath(QStringLiteral("奇书"));
    ASSERT_TRUE(chainEnded(series));
    ASSERT_EQ(serial::readChainState(series)->count, 1);

    QAction *entry =
        pageMenuEntry(view,
                      "(function(){const r=document.getElementById('on')"
                      ".getBoundingClientRect();return [r.x+r.width/2,r.y+r.height/2];})()",
                      QStringLiteral("以此链接为下一章"));
    ASSERT_TRUE(entry);
    entry->trigger();
    ASSERT_TRUE(chainEnded(series, 3));
    EXPECT_EQ(serial::readChainState(series)->linkText, QStringLiteral("继续阅读"));
    EXPECT_EQ(QDir(series).entryList({"0*.txt"}, QDir::Files).size(), 3);
}

// A chapter whose page keeps its readers' comments inside the story's own element.
QByteArray commentedChapter(int chapter) {
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>第%1章 评书</title>"
                                  "</head><body><div id=\"content\"><h1>第%1章 评书</h1>")
                       .arg(chapter);
    for (int p = 1; p <= 6; ++p) {
        html += QStringLiteral("<p>") + paragraph(chapter, p) + QStringLiteral("</p>");
        if (p == 3) // a line of the site's inside the story, with no name of its own
            html += QStringLiteral("<p>（本章由书友团包月赞助）</p>");
    }
    html += QStringLiteral("<div class=\"comments\" id=\"c%1\">").arg(chapter);
    for (int c = 1; c <= 3; ++c)
        html +=
            QStringLiteral("<p>读者%1号评论第%2章：写得真好，催更催更！</p>").arg(c).arg(chapter);
    html += QStringLiteral("</div></div>");
    if (chapter < 3)
        html += QStringLiteral("<a href=\"/c/%1.html\">下一章</a>").arg(chapter + 1);
    return (html + QStringLiteral("</body></html>")).toUtf8();
}

// "以后不保存这一块（本网站）" on the comments: the site's rules file learns the block, and the
// next chain on that site saves the story without it; on a line inside the story, the line
// (never the story's whole element).
TEST_F(SerialEndToEnd, ABlockLeftOutOnceIsLeftOutOfEveryLaterChapter) {
    for (int chapter = 1; chapter <= 3; ++chapter)
        server.addPage(QStringLiteral("/c/%1.html").arg(chapter), commentedChapter(chapter));
    const QUrl first = server.url("/c/1.html");
    browser::BrowserView *view = openAndShow(first);
    ASSERT_TRUE(view);
    const auto saveSeries = [&](const QString &name) {
        dialogs.inputs = {name, QStringLiteral("0 0 文本")};
        testing_support::chooseEntry(window->commands(), "serialstart",
                                     "从当前网页开始连续保存下一章");
        const QString series = QDir(saveDir.path()).filePath(name);
        EXPECT_TRUE(chainEnded(series, 3));
        QString all;
        for (const QString &file : QDir(series).entryList({"0*.txt"}, QDir::Files))
            all += common::readTextFile(QDir(series).filePath(file)).text;
        return all;
    };
    const QString before = saveSeries(QStringLiteral("评书"));
    EXPECT_TRUE(before.contains(QStringLiteral("读者2号评论第3章"))); // what the rules are for
    EXPECT_EQ(before.count(QStringLiteral("书友团包月赞助")), 3);

    view = openAndShow(first);
    ASSERT_TRUE(view);
    QAction *entry = pageMenuEntry(view,
                                   "(function(){const r=document.querySelector('.comments p')"
                                   ".getBoundingClientRect();return [r.x+5,r.y+r.height/2];})()",
                                   QStringLiteral("以后不保存这一块（本网站）"));
    ASSERT_TRUE(entry);
    entry->trigger();
    const QString rulesPath =
        QDir(programDir.path()).filePath("serial-sites/" + first.host() + ".ini");
    ASSERT_TRUE(testing_support::waitFor([&] {
        return common::readTextFile(rulesPath).text.contains("drop=div.comments");
    })) << window->panelText("s2").toStdString();
    if (auto *menu = qobject_cast<QMenu *>(entry->parent()))
        menu->close(); // chosen: the menu goes, as after a click
    entry = pageMenuEntry(view,
                          "(function(){const r=[...document.querySelectorAll('#content > p')]"
                          ".find(p=>p.textContent.includes('书友团')).getBoundingClientRect();"
                          "return [r.x+5,r.y+r.height/2];})()",
                          QStringLiteral("以后不保存这一块（本网站）"));
    ASSERT_TRUE(entry);
    entry->trigger();
    ASSERT_TRUE(testing_support::waitFor([&] {
        return common::readTextFile(rulesPath).text.contains(
            QStringLiteral("dropline=（本章由书友团包月赞助）"));
    })) << common::readTextFile(rulesPath).text.toStdString();
    EXPECT_FALSE(common::readTextFile(rulesPath).text.contains("div#content"));
    EXPECT_TRUE(
        window->panelText("s2").startsWith(QStringLiteral("以后不保存以“（本章由书友团包月赞助")))
        << window->panelText("s2").toStdString();

    const QString after = saveSeries(QStringLiteral("评书二"));
    EXPECT_FALSE(after.contains(QStringLiteral("读者"))) << after.toStdString();
    EXPECT_FALSE(after.contains(QStringLiteral("书友团"))) << after.toStdString();
    for (int chapter = 1; chapter <= 3; ++chapter) {
        for (int p = 1; p <= 6; ++p)
            EXPECT_TRUE(after.contains(paragraph(chapter, p))) << chapter << " " << p;
    }
}

// Figures on a site served apart (bench/serial_site.py says how): chapters, paragraphs and
// titles saved against what its manifest lists. Skipped unless LUMARO_SERIAL_SITE names its
// first chapter and LUMARO_SERIAL_MANIFEST its manifest.
TEST_F(SerialEndToEnd, ServedSiteFigures) {
    const QString site = qEnvironmentVariable("LUMARO_SERIAL_SITE");
    QFile manifestFile(qEnvironmentVariable("LUMARO_SERIAL_MANIFEST"));
    if (site.isEmpty() || !manifestFile.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no served site: see bench/serial_site.py";
    const QJsonObject manifest = QJsonDocument::fromJson(manifestFile.readAll()).object();
    const QJsonArray expected = manifest.value("chapters").toArray();

    browser::BrowserView *view = openAndShow(QUrl(site));
    ASSERT_TRUE(view);
    dialogs.inputs = {QStringLiteral("山河"), QStringLiteral("0 0 文本")};
    testing_support::chooseEntry(window->commands(), "serialstart", "从当前网页开始连续保存下一章");
    const QString series = QDir(saveDir.path()).filePath(QStringLiteral("山河"));
    ASSERT_TRUE(chainEnded(series, -1, 120000));

    const QStringList files = QDir(series).entryList({"0*.txt"}, QDir::Files, QDir::Name);
    int chaptersRight = 0;
    int paragraphsSaved = 0;
    int paragraphsExpected = 0;
    int titlesRight = 0;
    int extraLines = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QJsonObject chapter = expected.at(i).toObject();
        const QString text = i < files.size()
                                 ? common::readTextFile(QDir(series).filePath(files.at(i))).text
                                 : QString();
        const QString title = chapter.value("title").toString();
        titlesRight += i < files.size() && text.startsWith(title + "\r\n") &&
                       files.at(i).endsWith(" " + title + ".txt");
        int found = 0;
        const QJsonArray paragraphs = chapter.value("paragraphs").toArray();
        for (const QJsonValue &paragraph : paragraphs)
            found += text.contains(paragraph.toString());
        // Lines that are neither the title nor the story: the site's, left in.
        const QStringList lines = text.split("\r\n", Qt::SkipEmptyParts);
        for (qsizetype line = 1; line < lines.size(); ++line)
            extraLines += !paragraphs.contains(QJsonValue(lines.at(line)));
        paragraphsSaved += found;
        paragraphsExpected += paragraphs.size();
        chaptersRight += found == paragraphs.size();
    }
    dialogs.folders = {series};
    testing_support::chooseEntry(window->commands(), "serialbook", "合并成一本书");
    const QString book = common::readTextFile(series + ".txt").text;
    std::printf(
        "chapter files %lld / %lld expected; chapters whole %d / %lld; paragraphs %d / %d; "
        "titles %d / %lld; lines not the story's %d; author in book: %s\n",
        static_cast<long long>(files.size()), static_cast<long long>(expected.size()),
        chaptersRight, static_cast<long long>(expected.size()), paragraphsSaved, paragraphsExpected,
        titlesRight, static_cast<long long>(expected.size()), extraLines,
        book.contains(QStringLiteral("作者：") + manifest.value("author").toString()) ? "yes"
                                                                                      : "no");
    EXPECT_EQ(files.size(), expected.size());
    EXPECT_EQ(paragraphsSaved, paragraphsExpected);
    EXPECT_EQ(titlesRight, expected.size());
}

} // namespace
