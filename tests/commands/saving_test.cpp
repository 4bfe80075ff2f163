#include "commands/save/pagesaver.h"
#include "commands/save/textsaver.h"
#include "common/ansifile.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using commands::Dialogs;
using testing_support::FakeBrowserView;

class SavingTest : public testing_support::CommandFixture {
protected:
    SavingTest() {
        page(0)->pageUrl = QUrl("file:///program/link.htm");
        page(0)->pageTitle = "favorites";
        page(0)->pageHtml = "<head></head><body>favourites</body>";
    }

    // Opens `count` more tabs with pages titled "Page 2", "Page 3", ...
    void openPages(int count) {
        for (int i = 0; i < count; ++i) {
            FakeBrowserView *view = static_cast<FakeBrowserView *>(
                tabs.openInNewTab(QUrl("http://h.example/"), true, true));
            const int n = tabs.viewCount();
            view->pageUrl = QUrl(QString("http://h.example/news/%1.htm").arg(n));
            view->pageTitle = QString("Page %1").arg(n);
            view->pageHtml = QString("<head><title>Page %1</title></head><body><p>第%1页</p>"
                                     "<a href=\"x%1.htm\">链接</a></body>")
                                 .arg(n);
            view->finishLoad();
        }
    }
    QString file(const QString &name) { return QDir(saveDir.path()).filePath(name); }
    QString read(const QString &name) {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? common::decodeText(f.readAll()) : QString("<missing>");
    }
    QStringList files() { return QDir(saveDir.path()).entryList(QDir::Files, QDir::Name); }

    commands::ExtractionRule rule;
    commands::PageSaver pages{context, rule};
    commands::TextSaver texts{context};
};

const QString kTitlePrompt =
    QString::fromUtf8("您没有在网页中选中一段文字作为文件名，如果以网页标题为文件名，请按【确定】，"
                      "否则请在网页中选择一段文字，再重新保存!");

TEST_F(SavingTest, OnlySaveNamesTheFileAfterTheSelection) {
    openPages(1);
    tabs.selectTab(2);
    page(1)->selection = " 第一章 ";
    page(1)->pageHtml = "<head><meta charset=\"utf-8\"></head><body>正文</body>";
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false)));
    EXPECT_EQ(files(), QStringList({QString::fromUtf8("第一章.htm")}));
    // The file says what it is written in, so it opens without garbled text.
    EXPECT_EQ(read("第一章.htm"),
              QString::fromUtf8(
                  "<HTML><head><meta charset=\"gb18030\"></head><body>正文</body></HTML>\r\n"));
    EXPECT_EQ(panels.last["s2"], QString::fromUtf8("该网页已经保存到") + file("第一章.htm"));
    EXPECT_EQ(clipboard.text(), QString::fromUtf8(" 第一章 ")); // the copied selection stays
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(SavingTest, WithoutASelectionTheTitleServesAfterOk) {
    openPages(1);
    tabs.selectTab(2);
    dialogs.answers = {Dialogs::Answer::Cancel};
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false)));
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(dialogs.messageTexts(), QStringList({kTitlePrompt}));
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false))); // OK
    EXPECT_EQ(files(), QStringList({"Page2.htm"}));
    page(1)->pageTitle = " ... ";
    ASSERT_TRUE(testing_support::finish(
        pages.onlySave(false))); // a title of removable characters: a dated name, never ".htm"
    ASSERT_EQ(files().size(), 2);
    EXPECT_TRUE(QRegularExpression("^无标题-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.htm$")
                    .match(files()[1])
                    .hasMatch())
        << files()[1].toStdString();
    EXPECT_EQ(dialogs.shown.size(), 3);
}

TEST_F(SavingTest, TheOverwriteQuestionMatchesNamesInAnyCase) {
    openPages(1);
    tabs.selectTab(2);
    page(1)->selection = "report";
    QFile existing(file("Report.HTM"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    dialogs.answers = {Dialogs::Answer::No};
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false)));
    EXPECT_EQ(read("Report.HTM"), "old");
    EXPECT_TRUE(panels.history.isEmpty());
    dialogs.answers = {Dialogs::Answer::Yes};
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false)));
    EXPECT_EQ(files(), QStringList({"Report.HTM"})); // replaced, not doubled
    EXPECT_TRUE(read("Report.HTM").startsWith("<HTML><head><meta charset=\"gb18030\"><title>"));
}

TEST_F(SavingTest, AbsoluteLinksVariantRewritesTheLinks) {
    openPages(1);
    tabs.selectTab(2);
    page(1)->selection = "abs";
    ASSERT_TRUE(testing_support::finish(pages.onlySave(true)));
    EXPECT_TRUE(read("abs.htm").contains("<a href=\"http://h.example/news/x2.htm\">"));
}

TEST_F(SavingTest, AFailedWriteIsReportedAndNeverCalledSaved) {
    openPages(1);
    tabs.selectTab(2);
    page(1)->selection = "x";
    savePath = file("no/such/folder");
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false)));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains(file("no/such/folder/x.htm")));
    EXPECT_FALSE(panels.last.contains("s2"));
}

TEST_F(SavingTest, AVeryLongNameIsCutToWhatTheFileSystemTakes) {
    openPages(1);
    tabs.selectTab(2);
    page(1)->selection = QString(200, QChar(u'长'));
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false)));
    ASSERT_EQ(files().size(), 1);
    EXPECT_EQ(files()[0], QString(83, QChar(u'长')) + ".htm");
    dialogs.answers = {Dialogs::Answer::No};
    ASSERT_TRUE(testing_support::finish(
        pages.onlySave(false))); // the overwrite question looks at the cut name
    EXPECT_EQ(dialogs.shown.size(), 1);
}

TEST_F(SavingTest, SaveAllWGoesFromTheLastTabToTheSecondWithTitlesAndNumbers) {
    openPages(3);
    page(2)->pageTitle = "";
    page(3)->selection = "选中";
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    EXPECT_EQ(files(), QStringList({"No3.htm", "Page2.htm", QString::fromUtf8("选中.htm")}));
    EXPECT_EQ(panels.last["s2"], QString::fromUtf8("所有打开网页已经保存到") + savePath);
}

TEST_F(SavingTest, SaveAllWWithTheRuleMatchesTheEnginesMarkupAndReportsPagesWithoutAName) {
    openPages(4);
    // The markers as the rule's dialog shows them; the pages as the engine gives them.
    rule = {true, "<FONT color=#0000ff size=4><B>", "</B></FONT>"};
    page(4)->pageHtml = "<body><font color=\"#0000ff\" size=\"4\"><b>Chapter 4</b></font></body>";
    page(3)->pageHtml = "<body><FONT COLOR='#0000FF'  size=4><B>Chapter 3</B></FONT></body>";
    page(2)->pageHtml =
        "<body><font color=\"#0000ff\" size=\"4\"><b>Chapter 2</b></body>"; // no after-marker
    page(1)->pageHtml = "<body><font color=\"#0000ff\" size=\"4\"><b><i></i>..</b></font></body>";
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    EXPECT_EQ(files(), QStringList({"Chapter3.htm", "Chapter4.htm"}));
    EXPECT_EQ(panels.last["s2"],
              QString::fromUtf8("已保存2个网页到%1，2个没有找到文件名").arg(savePath));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(QString::fromUtf8("下面这些网页没有找到文件名")));
    EXPECT_TRUE(dialogs.shown[0].text.endsWith("news/3.htm\nhttp://h.example/news/2.htm"));
}

TEST_F(SavingTest, SaveAllWReportsThePagesThatFailedAndSavesTheOthers) {
    openPages(2);
    QDir().mkpath(file("Page2.htm")); // a folder where the first page's file should go
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains(file("Page2.htm")));
    EXPECT_EQ(files(), QStringList({"Page3.htm"})); // the other page is saved
    EXPECT_EQ(panels.last["s2"], QString::fromUtf8("已保存1个网页到%1，失败1个").arg(savePath));
}

// Five pages whose files exist already, from the last tab (Page6) to the second (Page2).
TEST_F(SavingTest, SaveAllWAsksByNameAndFollowsEachAnswer) {
    openPages(5);
    for (int n = 2; n <= 6; ++n) {
        QFile old(file(QString("Page%1.htm").arg(n)));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    using A = Dialogs::OverwriteAnswer;
    dialogs.overwriteAnswers = {A::Overwrite, A::Skip, A::Numbered, A::SkipAll};
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    EXPECT_EQ(dialogs.overwriteAsked,
              QStringList({"Page6.htm", "Page5.htm", "Page4.htm", "Page3.htm"}));
    EXPECT_TRUE(read("Page6.htm").contains(QString::fromUtf8("第6页")));
    EXPECT_TRUE(read("Page5.htm").isEmpty());
    EXPECT_TRUE(read("Page4No2.htm").contains(QString::fromUtf8("第4页")));
    EXPECT_TRUE(read("Page4.htm").isEmpty());
    EXPECT_TRUE(read("Page2.htm").isEmpty()); // 全部跳过 answered for it
    EXPECT_EQ(panels.last["s2"], QString::fromUtf8("已保存2个网页到%1，跳过3个").arg(savePath));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, QString::fromUtf8("下面这些文件已经存在，没有覆盖：\n"
                                                       "Page5.htm\nPage3.htm\nPage2.htm"));

    dialogs.overwriteAsked.clear();
    dialogs.overwriteAnswers = {A::OverwriteAll};
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    EXPECT_EQ(dialogs.overwriteAsked, QStringList({"Page6.htm"}));
    for (int n = 2; n <= 6; ++n)
        EXPECT_TRUE(
            read(QString("Page%1.htm").arg(n)).contains(QString::fromUtf8("第%1页").arg(n)));
    EXPECT_EQ(panels.last["s2"], QString::fromUtf8("所有打开网页已经保存到") + savePath);
}

TEST_F(SavingTest, OnlySaveTextNeedsASelectionForItsName) {
    openPages(1);
    tabs.selectTab(2);
    ASSERT_TRUE(testing_support::finish(texts.onlySaveText(false)));
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({QString::fromUtf8("请在网页中选择一段文字作文件名!")}));
    EXPECT_TRUE(files().isEmpty());
    page(1)->selection = "Chapter 3";
    ASSERT_TRUE(testing_support::finish(texts.onlySaveText(false)));
    ASSERT_TRUE(testing_support::finish(texts.onlySaveText(true)));
    EXPECT_EQ(files(), QStringList({"Chapter3.txt"}));
    EXPECT_EQ(read("Chapter3.txt"),
              QString::fromUtf8("Page 2\r\n第2页\r\n\r\n")); // without link text
    EXPECT_EQ(dialogs.shown.size(), 2); // the overwrite question of the second save
}

TEST_F(SavingTest, SaveSelectTextNamesAfterTenCharactersAndWritesAll) {
    openPages(1);
    tabs.selectTab(2);
    page(1)->selection = "abcdefghij klmnopqrstuvwxy";
    texts.saveSelectText();
    EXPECT_EQ(files(), QStringList({"abcdefghij.txt"}));
    EXPECT_EQ(read("abcdefghij.txt"), "abcdefghij klmnopqrstuvwxy\r\n");
    EXPECT_TRUE(panels.history.isEmpty());
}

TEST_F(SavingTest, SaveAllWTextCountsAndReportsWhatItSkipped) {
    openPages(2);
    tabs.selectTab(2);
    page(1)->selection = "News";
    QFile existing(file("News1.txt"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    dialogs.overwriteAnswers = {Dialogs::OverwriteAnswer::Skip};
    ASSERT_TRUE(testing_support::finish(texts.saveAllWText(false)));
    EXPECT_EQ(files(), QStringList({"News.txt", "News1.txt", "News3.txt"}));
    EXPECT_EQ(
        panels.of("s2"),
        QStringList({"1", "2", QString::fromUtf8("已保存2个网页到%1，跳过1个").arg(savePath)}));
    dialogs.overwriteAnswers = {Dialogs::OverwriteAnswer::OverwriteAll};
    panels.history.clear();
    ASSERT_TRUE(testing_support::finish(texts.saveAllWText(true)));
    EXPECT_EQ(panels.of("s2"),
              QStringList({"1", "2", "3", QString::fromUtf8("所有打开网页已经保存到") + savePath}));
    EXPECT_EQ(read("News1.txt"), "favourites\r\n");
}

// A page without a title: the engine shows its address in the title's place.
TEST_F(SavingTest, NamesThatCleanToNothingFallBackToTheTitleThenToTheDate) {
    const QRegularExpression dated("^无标题-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.(txt|htm)$");
    openPages(2);
    tabs.selectTab(2);
    page(1)->selection = "???";
    ASSERT_TRUE(testing_support::finish(texts.onlySaveText(false)));
    texts.saveSelectText();
    EXPECT_EQ(files(), QStringList({"Page2.txt"}));
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({"已经存在同样名字的文件“Page2.txt”，是否要覆盖？"}));
    page(1)->pageTitle = "h.example/news/2.htm";
    ASSERT_TRUE(testing_support::finish(texts.onlySaveText(false)));
    ASSERT_EQ(files().size(), 2);
    EXPECT_TRUE(dated.match(files()[1]).hasMatch()) << files()[1].toStdString();
    EXPECT_EQ(panels.last["s2"], QString::fromUtf8("该网页已经保存到") + file(files()[1]));
    for (const QString &name : files())
        EXPECT_FALSE(name.startsWith(u'.')) << name.toStdString();
    // All pages as HTML: a page whose title is its address is numbered like an untitled one.
    page(2)->pageTitle = "http://h.example/news/3.htm";
    page(1)->selection.clear();
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    EXPECT_TRUE(files().contains("No3.htm"));
    EXPECT_TRUE(files().contains("No2.htm"));
}

} // namespace
