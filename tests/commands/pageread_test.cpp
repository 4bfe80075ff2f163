// A page that does not answer (an endless script, a dead renderer) is never taken for an
// empty page: nothing is written from it, and the user is told.
#include "commands/links/linkcommands.h"
#include "commands/save/pagesaver.h"
#include "commands/save/textsaver.h"
#include "common/ansifile.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeBrowserView;

class PageReadTest : public testing_support::CommandFixture {
protected:
    PageReadTest() {
        for (int n = 2; n <= 3; ++n) {
            auto *view = static_cast<FakeBrowserView *>(
                tabs.openInNewTab(QUrl("http://h.example/"), true, true));
            view->pageUrl = QUrl(QString("http://h.example/%1.htm").arg(n));
            view->pageTitle = QString("Page %1").arg(n);
            view->pageHtml =
                QString("<body>page %1 <a href='x.htm'>x</a> a%1@h.example</body>").arg(n);
            view->selection = QString("Sel %1").arg(n);
            view->finishLoad();
        }
        page(2)->answers = false; // the third tab loops for ever
        tabs.selectTab(3);
    }
    QStringList savedFiles() const {
        return QDir(saveDir.path()).entryList(QDir::Files, QDir::Name);
    }

    commands::ExtractionRule rule;
    commands::PageSaver pages{context, rule};
    commands::TextSaver texts{context};
    commands::LinkCommands links{context, folder,
                                 [](const QString &, const QString &) { return true; },
                                 [] { return false; }};
};

const QString kNotSaved = QString::fromUtf8("网页没有响应，没有保存");
const QString kNotRead = QString::fromUtf8("网页没有响应，没有读到网页的内容");

TEST_F(PageReadTest, SavingTheCurrentPageThatDoesNotAnswerWritesNothingAndSaysSo) {
    ASSERT_TRUE(testing_support::finish(pages.onlySave(false)));
    ASSERT_TRUE(testing_support::finish(pages.onlySave(true)));
    ASSERT_TRUE(testing_support::finish(texts.onlySaveText(false)));
    EXPECT_TRUE(savedFiles().isEmpty());
    EXPECT_EQ(dialogs.messageTexts(), QStringList({kNotSaved, kNotSaved, kNotSaved}));
    EXPECT_FALSE(panels.last.value("s2").startsWith(QString::fromUtf8("该网页已经保存到")));
}

TEST_F(PageReadTest, SavingAllPagesNamesThePageThatDidNotAnswerAndSavesTheOthers) {
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    EXPECT_EQ(savedFiles(), QStringList({"Sel2.htm"}));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains("http://h.example/3.htm"));
    EXPECT_TRUE(dialogs.shown[0].text.contains(kNotSaved));
    EXPECT_TRUE(panels.last["s2"].endsWith(QString::fromUtf8("，失败1个")));

    dialogs.shown.clear();
    ASSERT_TRUE(testing_support::finish(texts.saveAllWText(false)));
    EXPECT_TRUE(savedFiles().contains("Sel2.txt"));
    EXPECT_FALSE(savedFiles().contains("Sel3.txt"));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains("http://h.example/3.htm"));
}

TEST_F(PageReadTest, HarvestsFromAPageThatDoesNotAnswerAppendNothingAndSaySo) {
    ASSERT_TRUE(testing_support::finish(links.saveToHref()));
    ASSERT_TRUE(testing_support::finish(links.saveEmails()));
    ASSERT_TRUE(testing_support::finish(links.openPageLinks(links::LinkCommand::OpenAllW)));
    EXPECT_FALSE(QFile::exists(folder.filePath("href.txt")));
    EXPECT_FALSE(QFile::exists(folder.filePath("email.txt")));
    EXPECT_EQ(tabs.tabCount(), 3);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({kNotRead, kNotRead, kNotRead}));
    // The same commands on a page that answers with an empty document are no failure.
    page(2)->answers = true;
    page(2)->pageHtml.clear();
    dialogs.shown.clear();
    ASSERT_TRUE(testing_support::finish(links.saveToHref()));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace
