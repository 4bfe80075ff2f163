// The session file: written while tabs change, read back at start-up, and a damaged file that
// start-up survives.
#include "browser/tabsession.h"
#include "shell/sessionkeeper.h"
#include "shell/sitesearch.h"
#include "support/commandfixture.h"

#include <QFile>

#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

using testing_support::CommandFixture;

class SessionTest : public CommandFixture {
protected:
    QString sessionPath() const { return programDir.filePath("session.json"); }
    void writeFile(const QByteArray &data) {
        QFile file(sessionPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    QByteArray readFile() {
        QFile file(sessionPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Three pages, the second marked; the third shown.
    void openThreePages() {
        for (const char *url : {"http://s.example/1", "http://s.example/2", "http://s.example/3"})
            tabs.openInNewTab(QUrl(url), true, true);
        tabs.markTab(3);
        tabs.selectTab(4);
    }
    // A second run of the program on the same folder.
    struct NextRun {
        explicit NextRun(CommandFixture &, const QString &path, testing_support::FakeDialogs &d,
                         const QUrl &favourites)
            : tabs(factory, d, favourites), keeper(tabs, panels, path) {
            tabs.createFirstTab();
        }
        testing_support::FakeViewFactory factory;
        shell::TabManager tabs;
        testing_support::RecordingPanels panels;
        shell::SessionKeeper keeper;
    };
};

TEST_F(SessionTest, TabsChangingAreWrittenWithinASecondAndComeBackAfterACrash) {
    shell::SessionKeeper keeper(tabs, panels, sessionPath());
    openThreePages();
    EXPECT_FALSE(QFile::exists(sessionPath())); // not at every change
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(sessionPath()); }, 3000));
    const auto session = browser::TabSession::fromJson(readFile());
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->cleanQuit);
    EXPECT_EQ(session->shownPosition, 4);

    NextRun run(*this, sessionPath(), dialogs, folder.favouritesUrl());
    EXPECT_EQ(run.keeper.restore(), 3);
    QStringList urls;
    for (const browser::TabRecord &record : run.tabs.records())
        urls.append(record.url.toString() + (record.marked ? "*" : ""));
    EXPECT_EQ(urls,
              QStringList({"http://s.example/1", "http://s.example/2*", "http://s.example/3"}));
    EXPECT_EQ(run.tabs.currentPosition(), 1); // behind the favourites tab
    EXPECT_TRUE(run.panels.last["s2"].contains("3"));
}

TEST_F(SessionTest, AfterANormalQuitTheLastSessionIsOfferedAsClosedTabs) {
    shell::SessionKeeper keeper(tabs, panels, sessionPath());
    openThreePages();
    ASSERT_TRUE(keeper.write(true));
    NextRun run(*this, sessionPath(), dialogs, folder.favouritesUrl());
    EXPECT_EQ(run.keeper.restore(), 0);
    EXPECT_EQ(run.tabs.tabCount(), 1);
    EXPECT_TRUE(run.panels.history.isEmpty());
    ASSERT_TRUE(run.tabs.reopenClosed());
    EXPECT_EQ(run.tabs.records().size(), 3);
}

// A session file is data from the disk: only web pages and files come back from it.
TEST_F(SessionTest, ScriptsAndEngineAddressesInTheFileAreRefused) {
    writeFile(R"({"version":1,"cleanQuit":false,"shown":1,"tabs":[
        {"url":"javascript:document.title='ran'","title":"","marked":false},
        {"url":"chrome://crash","title":"","marked":false},
        {"url":"http://s.example/1","title":"","marked":false}]})");
    NextRun run(*this, sessionPath(), dialogs, folder.favouritesUrl());
    EXPECT_EQ(run.keeper.restore(), 1);
    ASSERT_EQ(run.tabs.records().size(), 1);
    EXPECT_EQ(run.tabs.records()[0].url, QUrl("http://s.example/1"));
    EXPECT_TRUE(run.panels.last["s2"].contains("没有打开 2 个不能打开的地址"));
    EXPECT_TRUE(run.panels.last["s2"].contains("chrome://crash"));
}

TEST_F(SessionTest, ACutOrGarbageFileIsReportedAndStartUpGoesOn) {
    shell::SessionKeeper keeper(tabs, panels, sessionPath());
    openThreePages();
    ASSERT_TRUE(keeper.write(false));
    const QByteArray whole = readFile();
    for (const QByteArray &damaged :
         {whole.left(whole.size() / 2), QByteArray("\x00\xff garbage", 10), QByteArray("[1,2]"),
          QByteArray()}) {
        writeFile(damaged);
        NextRun run(*this, sessionPath(), dialogs, folder.favouritesUrl());
        EXPECT_EQ(run.keeper.restore(), 0);
        EXPECT_EQ(run.tabs.tabCount(), 1);
        EXPECT_TRUE(run.panels.last["s2"].contains("session.json")) << damaged.toStdString();
        // The damaged file is kept aside, not replaced by the next write unseen.
        EXPECT_TRUE(run.panels.last["s2"].contains("session.json.damaged"));
        QFile kept(sessionPath() + ".damaged");
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), damaged);
        EXPECT_FALSE(QFile::exists(sessionPath()));
    }
}

// A quit whose write fails (a full disk: writes beyond 64 bytes fail here) asks the user;
// quitting anyway sets the older list aside, so that the next start does not take it for
// the last one.
TEST_F(SessionTest, AQuitThatCannotWriteTheListAsksAndNeverLeavesAnOlderOne) {
    shell::SessionKeeper keeper(tabs, panels, sessionPath());
    tabs.openInNewTab(QUrl("http://old.example/"), true, true);
    ASSERT_TRUE(keeper.write(false)); // the list of a minute ago
    openThreePages();
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    dialogs.answers = {commands::Dialogs::Answer::Cancel, commands::Dialogs::Answer::Retry,
                       commands::Dialogs::Answer::Quit};
    const bool quitAfterCancel = keeper.writeAtQuit(dialogs);
    const bool quitAfterRetry = keeper.writeAtQuit(dialogs);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(quitAfterCancel);
    EXPECT_TRUE(quitAfterRetry);
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(dialogs.shown[0].buttons, commands::Dialogs::Buttons::RetryQuit);
    EXPECT_TRUE(dialogs.shown[0].text.contains("session.json"))
        << dialogs.shown[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(sessionPath()));
    EXPECT_TRUE(QFile::exists(sessionPath() + ".old"));
    NextRun run(*this, sessionPath(), dialogs, folder.favouritesUrl());
    EXPECT_EQ(run.keeper.restore(), 0);
    EXPECT_FALSE(run.tabs.reopenClosed());

    // With room again, the quit writes the list and nothing is asked.
    dialogs.shown.clear();
    EXPECT_TRUE(keeper.writeAtQuit(dialogs));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(SessionTest, AFileThatCannotBeWrittenGivesTheReasonInChinese) {
    shell::SessionKeeper keeper(tabs, panels, programDir.filePath("no/such/folder/session.json"));
    QString error;
    EXPECT_FALSE(keeper.write(false, &error));
    EXPECT_TRUE(error.contains("session.json"));
}

TEST(TypedAddress, AddressesOpenAndOtherTextIsSearched) {
    EXPECT_EQ(shell::addressForTypedText("example.com"), QUrl("http://example.com"));
    EXPECT_EQ(shell::addressForTypedText(" http://a.example/x?q=1 "),
              QUrl("http://a.example/x?q=1"));
    EXPECT_EQ(shell::addressForTypedText("127.0.0.1:8080/p"), QUrl("http://127.0.0.1:8080/p"));
    EXPECT_EQ(shell::addressForTypedText("localhost"), QUrl("http://localhost"));
    EXPECT_EQ(shell::addressForTypedText("about:blank"), QUrl("about:blank"));
    EXPECT_EQ(shell::addressForTypedText("/home/a b.htm"), QUrl::fromLocalFile("/home/a b.htm"));
    EXPECT_TRUE(shell::addressForTypedText("").isEmpty());
    // The program's own pages open as typed, any letter case in the scheme.
    EXPECT_EQ(shell::addressForTypedText("lumaro:history"), QUrl("lumaro:history"));
    EXPECT_EQ(shell::addressForTypedText("LUMARO:searchsaved?q=x"), QUrl("lumaro:searchsaved?q=x"));
    for (const char *words : {"hello world", "hello", "第三章 雨夜", "lumaro: history"}) {
        const QUrl url = shell::addressForTypedText(QString::fromUtf8(words));
        EXPECT_EQ(url.host(), "www.baidu.com") << words;
        EXPECT_EQ(url.path(), "/s");
    }
    EXPECT_EQ(shell::addressForTypedText("hello world").toString(QUrl::FullyEncoded),
              "https://www.baidu.com/s?wd=hello%20world&cl=3");
}

} // namespace
