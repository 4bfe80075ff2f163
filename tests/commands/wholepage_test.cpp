#include "commands/save/filecommands.h"
#include "commands/save/wholepagesaver.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeBrowserView;

const QString kNonce = "00112233445566ff";

// What the page's script answers for a page holding a picture and a sheet.
QString capture(const QString &url, const QString &body,
                const QString &picture = "http://h.example/logo.png") {
    const QString r0 = "lumaro" + kNonce + "r0x";
    const QString s0 = "lumaro" + kNonce + "s0x";
    const QString h0 = "lumaro" + kNonce + "h0x";
    return QJsonDocument(
               QJsonObject{
                   {"url", url},
                   {"nonce", kNonce},
                   {"html", "<html><head>" + h0 + "<style>" + s0 + "</style></head><body>" + body +
                                "<img src=\"" + r0 + "\"></body></html>"},
                   {"resources", QJsonArray{picture}},
                   {"sheets", QJsonArray{"http://h.example/site.css"}},
               })
        .toJson(QJsonDocument::Compact);
}

class WholePageTest : public testing_support::CommandFixture {
protected:
    FakeBrowserView *openPage(int n) {
        auto *view = static_cast<FakeBrowserView *>(
            tabs.openInNewTab(QUrl("http://h.example/"), true, true));
        view->pageUrl = QUrl(QString("http://h.example/%1.htm").arg(n));
        view->pageTitle = QString("第%1页").arg(n);
        view->pageHtml = "<body>x</body>";
        view->wholePageJson = capture(view->pageUrl.toString(), QString("正文%1").arg(n));
        view->files.insert("http://h.example/logo.png", {true, "\x89PNG", "image/png", false, {}});
        view->files.insert("http://h.example/site.css",
                           {true, "b{color:red}", "text/css", false, {}});
        view->finishLoad();
        return view;
    }
    QString read(const QString &name) {
        QFile file(QDir(saveDir.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QStringList files() { return QDir(saveDir.path()).entryList(QDir::Files, QDir::Name); }

    commands::WholePageSaver saver{context};
};

TEST_F(WholePageTest, TheCurrentPageIsKeptWholeInOneUtf8FileAndRecordedAsSaved) {
    FakeBrowserView *view = openPage(2);
    tabs.selectTab(2);
    view->selection = "一篇文章";
    QList<QPair<QUrl, QString>> saved;
    context.noteSaved = [&saved](const QUrl &url, const QString &name) {
        saved.append({url, name});
    };
    ASSERT_TRUE(testing_support::finish(saver.saveWhole()));
    ASSERT_EQ(files(), QStringList{"一篇文章.html"});
    const QString html = read("一篇文章.html");
    EXPECT_TRUE(html.startsWith("<!-- saved from url=(0022)http://h.example/2.htm -->\n"));
    EXPECT_TRUE(html.contains("<style>b{color:red}</style>"));
    EXPECT_TRUE(html.contains("正文2<img src=\"data:image/png;base64,iVBORw==\">"));
    EXPECT_EQ(saved, (QList<QPair<QUrl, QString>>{{view->pageUrl, "一篇文章.html"}}));
    EXPECT_EQ(panels.last["s2"],
              "该网页已经保存到" + QDir(saveDir.path()).filePath("一篇文章.html"));

    // A page that gives nothing to keep is said so, and nothing is written.
    view->wholePageJson = "{}";
    view->selection = "第二次";
    ASSERT_TRUE(testing_support::finish(saver.saveWhole()));
    EXPECT_EQ(files(), QStringList{"一篇文章.html"});
    EXPECT_EQ(dialogs.messageTexts().value(0), commands::kPageNotSaved);
}

TEST_F(WholePageTest, AllPagesShareTheirSheetFetchAndTheReportNamesWhatWasLeftOut) {
    FakeBrowserView *second = openPage(2);
    FakeBrowserView *third = openPage(3);
    third->wholePageJson = capture("http://h.example/3.htm", "正文3", "http://h.example/gone.png");
    FakeBrowserView *fourth = openPage(4);
    ASSERT_TRUE(testing_support::finish(saver.saveAllWhole()));
    EXPECT_EQ(files(), QStringList({"第2页.html", "第3页.html", "第4页.html"}));
    EXPECT_TRUE(read("第2页.html").contains("正文2"));
    // From the last tab back: the fourth fetched the sheet and the logo, the others only
    // what the batch had not got yet.
    EXPECT_EQ(fourth->fetched.size(), 2);
    EXPECT_EQ(third->fetched, QList<QUrl>{QUrl("http://h.example/gone.png")}); // not there
    EXPECT_EQ(second->fetched.size(), 0);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "下面这些网页已经保存，但有些部分没有放进文件：\n"
                                     "http://h.example/3.htm：1个文件没有取到，留作链接");
}

TEST_F(WholePageTest, SaveAddOffersOneFileFirstThenAFolderOfPartsAndMhtml) {
    FakeBrowserView *view = openPage(2);
    tabs.selectTab(2);
    commands::FileCommands fileCommands(context, common::ProgramFolder(saveDir.path()),
                                        [](const QString &) {});
    const QString chosen = QDir(saveDir.path()).filePath("chosen");
    dialogs.files = {chosen + ".html", chosen, chosen + ".htm"};
    ASSERT_TRUE(testing_support::finish(fileCommands.saveFullPage())); // one file: the first form
    EXPECT_TRUE(read("chosen.html").contains("正文2"));
    EXPECT_TRUE(dialogs.offeredFilters.value(0).startsWith("网页，单个文件 (*.html);;"));
    EXPECT_TRUE(dialogs.proposedFiles.value(0).endsWith("第2页.html"));

    dialogs.filterChoices = {"网页归档 MHTML (*.mhtml *.mht)",
                             "网页，全部（附带文件夹） (*.htm *.html)"};
    ASSERT_TRUE(testing_support::finish(fileCommands.saveFullPage()));
    ASSERT_TRUE(testing_support::finish(fileCommands.saveFullPage()));
    EXPECT_EQ(view->savedAs, QStringList({chosen + ".mhtml", chosen + ".htm"}));
    EXPECT_EQ(view->saveFormats, (QList<browser::BrowserView::SaveFormat>{
                                     browser::BrowserView::SaveFormat::Mhtml,
                                     browser::BrowserView::SaveFormat::WithFolder}));
}

} // namespace
