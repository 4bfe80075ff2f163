#include "commands/serial/serialchain.h"
#include "common/ansifile.h"
#include "common/programfolder.h"
#include "serial/chainstate.h"
#include "serial/chapterfiles.h"
#include "shell/tabmanager.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"
#include "support/fakeservices.h"
#include "support/waitfor.h"

#include <QDir>
#include <QHash>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using testing_support::FakeBrowserView;
using testing_support::waitFor;

// A served serial: chapter pages with menus and adverts around the text; the last chapter's
// "下一章" leads back to the contents page. Loads finish from the event loop, as the engine's do.
struct Site {
    int chapters = 6;
    QHash<int, int> failuresLeft; // chapter -> loads that fail before it loads
    bool advertNext = false;      // an advert labelled "下一章" comes first on every page
    QString nextLabel = QStringLiteral("下一章");
    QString titleEnd; // what the site puts after every chapter's <title>
    QString titleFormat = QStringLiteral("第%1章 雨夜");
    bool imageNext = false; // the next link is a picture
    // Chapters over two pages: true when page 1 has "下一章" beside its "下一页", false when
    // "下一页" is its only way on.
    QHash<int, bool> split;
    static QUrl url(int chapter, int page = 1) {
        return QUrl(
            page == 1
                ? QStringLiteral("http://serial.test/book/%1.html").arg(chapter)
                : QStringLiteral("http://serial.test/book/%1_%2.html").arg(chapter).arg(page));
    }
    static int chapterOf(const QUrl &url) {
        return url.fileName().section('.', 0, 0).section('_', 0, 0).toInt();
    }
    static int pageOf(const QUrl &url) {
        return qMax(1, url.fileName().section('.', 0, 0).section('_', 1, 1).toInt());
    }
};

class ServingView : public FakeBrowserView {
public:
    ServingView(Site &site, QObject *parent) : FakeBrowserView(parent), m_site(site) {}

    void show(int chapter, int page = 1) {
        pageUrl = Site::url(chapter, page);
        pageTitle = m_site.titleFormat.arg(chapter);
        const QString next = chapter < m_site.chapters ? Site::url(chapter + 1).toString()
                                                       : QStringLiteral("/book/");
        const bool split = m_site.split.contains(chapter) && page == 1;
        QString links = QStringLiteral("<a href='/book/'>目录</a>");
        if (m_site.advertNext)
            links += QStringLiteral("<a href='http://ads.test/%1'>下一章</a>").arg(chapter);
        if (split)
            links +=
                QStringLiteral("<a href='%1'>下一页</a>").arg(Site::url(chapter, 2).toString());
        if (!split || m_site.split.value(chapter))
            links += m_site.imageNext
                         ? QStringLiteral("<a href='%1'><img src=n.gif alt='%2'></a>")
                               .arg(next, m_site.nextLabel)
                         : QStringLiteral("<a href='%1'>%2</a>").arg(next, m_site.nextLabel);
        // The heading inside the article repeats the title: it is not kept as text.
        const QString text = page == 1
                                 ? QStringLiteral("<h1>%2</h1><p>第%1章的正文。</p><p>第二段。</p>")
                                       .arg(chapter)
                                       .arg(pageTitle)
                                 : QStringLiteral("<p>第%1章的后半。</p>").arg(chapter);
        pageHtml = QStringLiteral("<head><title>%1%2</title></head><body><div class=menu>"
                                  "<a href='/'>首页</a>广告：充值送书币</div><div id=text>%3"
                                  "</div>%4</body>")
                       .arg(pageTitle, m_site.titleEnd, text, links);
        pageTitle += m_site.titleEnd;
        // Readability's answer: the article without the menus.
        article =
            QStringLiteral("{\"title\":\"%1\",\"content\":\"<div>%2</div>\"}").arg(pageTitle, text);
    }
    // The engine gives nothing while another read waits for it.
    void readPage(std::function<void(browser::PageRead)> reply) override {
        if (emptyReads > 0) {
            --emptyReads;
            QTimer::singleShot(0, this, [reply] { reply({}); });
            return;
        }
        FakeBrowserView::readPage(std::move(reply));
    }
    int emptyReads = 0;

    // Its own loads: some of them fail.
    void navigate(const QUrl &url) override {
        navigations.append(url);
        pageUrl = url;
        busy = true;
        const int chapter = Site::chapterOf(url);
        const int page = Site::pageOf(url);
        const bool ok = m_site.failuresLeft.value(chapter) == 0;
        if (!ok)
            --m_site.failuresLeft[chapter];
        QTimer::singleShot(1, this, [this, url, chapter, page, ok] {
            busy = false;
            if (ok)
                show(chapter, page);
            emit documentComplete(url, ok);
        });
    }

private:
    Site &m_site;
};

class ServingFactory : public browser::ViewFactory {
public:
    explicit ServingFactory(Site &site) : m_site(site) {}
    browser::BrowserView *createView(QObject *parent, bool = false) override {
        return new ServingView(m_site, parent);
    }

private:
    Site &m_site;
};

class SerialChainTest : public ::testing::Test {
protected:
    SerialChainTest()
        : folder(programDir.path()), factory(site), tabs(factory, dialogs, folder.favouritesUrl()) {
        tabs.createFirstTab();
        view()->show(1);
    }
    ServingView *view() { return static_cast<ServingView *>(tabs.currentView()); }
    QString series() const { return QDir(saveDir.path()).filePath(QStringLiteral("雨夜")); }
    QStringList chapterFiles() const {
        return QDir(series()).entryList({QStringLiteral("0*")}, QDir::Files, QDir::Name);
    }
    QList<int> indexNumbers() const {
        QList<int> numbers;
        const auto index =
            common::readTextFile(QDir(series()).filePath(serial::kIndexFileName)).text;
        for (const serial::IndexEntry &entry : serial::parseIndex(index))
            numbers.append(entry.number);
        return numbers;
    }
    serial::ChainState freshState(int delayMs = 0) const {
        serial::ChainState state;
        state.title = QStringLiteral("雨夜");
        state.next = Site::url(1);
        state.delayMs = delayMs;
        return state;
    }
    bool runToEnd(commands::SerialChain &chain) {
        QSignalSpy done(&chain, &commands::SerialChain::finished);
        return done.count() > 0 || done.wait(10000);
    }
    QStringList expectedFiles(int count) const {
        QStringList names;
        for (int i = 1; i <= count; ++i)
            names.append(serial::chapterFileName(i, QStringLiteral("第%1章 雨夜").arg(i), ".txt"));
        return names;
    }

    Site site;
    QTemporaryDir programDir;
    QTemporaryDir saveDir;
    common::ProgramFolder folder;
    ServingFactory factory;
    testing_support::FakeDialogs dialogs;
    testing_support::FakeClipboard clipboard;
    testing_support::RecordingPanels panels;
    shell::TabManager tabs;
    commands::CommandContext context{tabs, dialogs, clipboard, panels,
                                     [this] { return saveDir.path(); }};
};

TEST_F(SerialChainTest, SavesEveryChapterTextAndStopsAtTheLinkBackToTheIndex) {
    dialogs.inputs = {QStringLiteral("雨夜"), QStringLiteral("0 0 文本")};
    commands::SerialChain chain(context);
    QSignalSpy done(&chain, &commands::SerialChain::finished);
    chain.startFromCurrentPage();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.first().first().toString(), QStringLiteral("已保存到最后一章，共6章"));
    EXPECT_EQ(chapterFiles(), expectedFiles(6));
    EXPECT_EQ(indexNumbers(), QList<int>({1, 2, 3, 4, 5, 6}));
    // Chapter 1 was the page on screen: it is not loaded again.
    EXPECT_EQ(view()->navigations.size(), 5);
    const QString third =
        common::readTextFile(QDir(series()).filePath(expectedFiles(3).at(2))).text;
    EXPECT_EQ(third, QStringLiteral("第3章 雨夜\r\n\r\n第3章的正文。\r\n第二段。\r\n"));
    const std::optional<serial::ChainState> state = serial::readChainState(series());
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->finished);
    EXPECT_EQ(state->count, 6);
}

TEST_F(SerialChainTest, APageThatGivesNoAnswerIsReadAgainNotTakenForTheLastChapter) {
    ASSERT_TRUE(QDir().mkpath(series()));
    view()->emptyReads = 2;
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(6));

    view()->emptyReads = 3;
    commands::SerialChain silent(context);
    QSignalSpy done(&silent, &commands::SerialChain::finished);
    silent.run(view(), QDir(saveDir.path()).filePath("other"), freshState(), true);
    ASSERT_TRUE(done.wait(5000));
    EXPECT_TRUE(done.first().first().toString().startsWith(QStringLiteral("无法读取网页")));
}

TEST_F(SerialChainTest, WithoutAnArticleTheWholePageTextIsKept) {
    view()->article.clear();
    site.chapters = 1;
    view()->show(1);
    view()->article.clear();
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(QDir().mkpath(series()));
    ASSERT_TRUE(runToEnd(chain));
    const QString text = common::readTextFile(QDir(series()).filePath(expectedFiles(1).at(0))).text;
    EXPECT_TRUE(text.contains(QStringLiteral("广告：充值送书币")));
    EXPECT_TRUE(text.contains(QStringLiteral("第1章的正文。")));
}

TEST_F(SerialChainTest, ResumesAfterAKillBetweenTwoChaptersWithNoneTwiceAndNoneMissing) {
    ASSERT_TRUE(QDir().mkpath(series()));
    auto chain = std::make_unique<commands::SerialChain>(context);
    chain->run(view(), series(), freshState(30), true);
    ASSERT_TRUE(waitFor([this] {
        const auto state = serial::readChainState(series());
        return state && state->count == 3;
    }));
    chain.reset(); // the program is killed while it waits before chapter 4
    // The kill came after chapter 3's file and index line but before its state: the state
    // still says two chapters.
    serial::ChainState before = *serial::readChainState(series());
    before.count = 2;
    before.next = Site::url(3);
    ASSERT_TRUE(serial::writeChainState(series(), before));
    ASSERT_EQ(indexNumbers(), QList<int>({1, 2, 3}));

    view()->show(1); // after a restart the tab shows some other page (the favourites, say)
    ServingView *shown = view();
    const qsizetype loadsBefore = shown->navigations.size();
    dialogs.folders = {series()};
    commands::SerialChain resumed(context);
    QSignalSpy done(&resumed, &commands::SerialChain::finished);
    resumed.resume();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(chapterFiles(), expectedFiles(6));
    EXPECT_EQ(indexNumbers(), QList<int>({1, 2, 3, 4, 5, 6}));
    // The chain went on in a tab of its own; the page that was shown stays as it was.
    EXPECT_EQ(shown->navigations.size(), loadsBefore);
    EXPECT_EQ(shown->pageUrl, Site::url(1));
    ASSERT_EQ(tabs.tabCount(), 2);
    EXPECT_EQ(static_cast<ServingView *>(tabs.viewAtPosition(2))->navigations.last(), Site::url(6));

    // A finished serial is not resumed again.
    dialogs.folders = {series()};
    resumed.resume();
    EXPECT_EQ(dialogs.shown.last().text, QStringLiteral("该系列已经保存到最后一章了。"));
}

TEST_F(SerialChainTest, StartingASavedSeriesAgainAddsToItOrTakesANewFolderAndRemovesNothing) {
    site.chapters = 3;
    dialogs.inputs = {QStringLiteral("雨夜"), QStringLiteral("0 0 文本")};
    commands::SerialChain chain(context);
    chain.startFromCurrentPage();
    ASSERT_TRUE(runToEnd(chain));
    ASSERT_EQ(chapterFiles(), expectedFiles(3));
    const auto chapterOne = [this] {
        return common::readTextFile(QDir(series()).filePath(expectedFiles(1).at(0))).text;
    };
    const QString first = chapterOne();

    // Two chapters later the user starts again from chapter 4 under the same name: 是 adds them.
    site.chapters = 5;
    view()->show(4);
    dialogs.inputs = {QStringLiteral("雨夜"), QStringLiteral("0 0 文本")};
    dialogs.answers = {commands::Dialogs::Answer::Yes};
    chain.startFromCurrentPage();
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_TRUE(dialogs.messageTexts().join('|').contains(QStringLiteral("已保存到第3章")));
    EXPECT_EQ(chapterFiles(), expectedFiles(5));
    EXPECT_EQ(indexNumbers(), QList<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(chapterOne(), first);

    // 否: the new chapters go into a folder of their own.
    view()->show(4);
    dialogs.inputs = {QStringLiteral("雨夜"), QStringLiteral("0 0 文本")};
    dialogs.answers = {commands::Dialogs::Answer::No};
    chain.startFromCurrentPage();
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(5));
    EXPECT_EQ(indexNumbers(), QList<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(QDir(series() + " (2)").entryList({QStringLiteral("0*")}, QDir::Files, QDir::Name),
              QStringList({serial::chapterFileName(1, QStringLiteral("第4章 雨夜"), ".txt"),
                           serial::chapterFileName(2, QStringLiteral("第5章 雨夜"), ".txt")}));
}

TEST_F(SerialChainTest, AChaptersPagesMakeOneFileAndTitlesLoseTheSitesName) {
    ASSERT_TRUE(QDir().mkpath(series()));
    site.chapters = 4;
    site.split = {{2, true}, {3, false}}; // page 2 beside 下一章, and 下一页 alone
    site.titleEnd = QStringLiteral("_雨夜全集_笔趣阁");
    site.imageNext = true;
    view()->show(1);
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(4));
    EXPECT_EQ(indexNumbers(), QList<int>({1, 2, 3, 4}));
    for (int chapter : {2, 3}) {
        EXPECT_EQ(
            common::readTextFile(QDir(series()).filePath(expectedFiles(4).at(chapter - 1))).text,
            QStringLiteral("第%1章 雨夜\r\n\r\n第%1章的正文。\r\n第二段。\r\n第%1章的后半。\r\n")
                .arg(chapter));
    }
}

TEST_F(SerialChainTest, TheFirstChapterLosesTheSitesNameOnceTheSecondShowsIt) {
    ASSERT_TRUE(QDir().mkpath(series()));
    site.chapters = 2;
    site.titleFormat = QStringLiteral("雨夜之%1"); // no chapter-like heading or title
    site.titleEnd = QStringLiteral(" - 雨夜全集 - 笔趣阁");
    view()->show(1);
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(runToEnd(chain));
    const QStringList titles = {QStringLiteral("雨夜之1"), QStringLiteral("雨夜之2")};
    EXPECT_EQ(chapterFiles(), QStringList({serial::chapterFileName(1, titles[0], ".txt"),
                                           serial::chapterFileName(2, titles[1], ".txt")}));
    const auto index = serial::parseIndex(
        common::readTextFile(QDir(series()).filePath(serial::kIndexFileName)).text);
    ASSERT_EQ(index.size(), 2);
    EXPECT_EQ(index[0].title, titles[0]);
    EXPECT_TRUE(common::readTextFile(QDir(series()).filePath(chapterFiles().at(0)))
                    .text.startsWith(titles[0] + "\r\n"));
}

TEST_F(SerialChainTest, StoppedBetweenTwoPagesOfAChapterItGoesOnWithThatChapter) {
    ASSERT_TRUE(QDir().mkpath(series()));
    site.chapters = 3;
    site.split = {{2, false}};
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(30), true);
    ASSERT_TRUE(waitFor([this] {
        const auto state = serial::readChainState(series());
        return state && state->continues;
    }));
    chain.stop();
    dialogs.folders = {series()};
    chain.resume();
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(3));
    EXPECT_EQ(common::readTextFile(QDir(series()).filePath(expectedFiles(3).at(1))).text,
              QStringLiteral("第2章 雨夜\r\n\r\n第2章的正文。\r\n第二段。\r\n第2章的后半。\r\n"));
}

TEST_F(SerialChainTest, CheckingForNewChaptersAddsThemAfterTheLastOneInATabOfItsOwn) {
    ASSERT_TRUE(QDir().mkpath(series()));
    site.chapters = 3;
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(runToEnd(chain));
    ASSERT_EQ(chapterFiles(), expectedFiles(3));
    ServingView *shown = view();
    const qsizetype loadsBefore = shown->navigations.size();

    site.chapters = 5; // the site has two chapters more
    QSignalSpy done(&chain, &commands::SerialChain::finished);
    chain.checkForNewChapters();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.last().first().toString(), QStringLiteral("已保存到最后一章，共5章"));
    EXPECT_EQ(chapterFiles(), expectedFiles(5));
    EXPECT_EQ(indexNumbers(), QList<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(shown->navigations.size(), loadsBefore);

    // Nothing new: the round says so and saves nothing.
    chain.checkForNewChapters();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.last().first().toString(), QStringLiteral("《雨夜》没有新章节"));
    EXPECT_EQ(chapterFiles(), expectedFiles(5));
    EXPECT_EQ(serial::readChainState(series())->count, 5);
}

TEST_F(SerialChainTest, StopKeepsThePlaceAndAChosenCountEndsTheChain) {
    ASSERT_TRUE(QDir().mkpath(series()));
    commands::SerialChain chain(context);
    serial::ChainState state = freshState(20);
    state.limit = 5;
    chain.run(view(), series(), state, true);
    ASSERT_TRUE(waitFor([this] { return chapterFiles().size() == 2; }));
    dialogs.folders = {series()};
    chain.resume(); // a second chain while one runs is refused
    EXPECT_EQ(dialogs.shown.last().text, QStringLiteral("连续保存正在进行，请先停止连续保存。"));
    chain.stop();
    const qsizetype loads = view()->navigations.size();
    waitFor([] { return false; }, 100);           // time for a load that should not come
    EXPECT_EQ(view()->navigations.size(), loads); // nothing more is loaded after 停止
    EXPECT_FALSE(chain.isRunning());

    dialogs.folders = {series()};
    QSignalSpy done(&chain, &commands::SerialChain::finished);
    chain.resume();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.first().first().toString(), QStringLiteral("已保存设定的5章"));
    EXPECT_EQ(chapterFiles(), expectedFiles(5));
    EXPECT_EQ(serial::readChainState(series())->next, Site::url(6));
}

TEST_F(SerialChainTest, APageThatFailsThreeTimesStopsTheChainAndCanBeRetried) {
    ASSERT_TRUE(QDir().mkpath(series()));
    site.failuresLeft = {{2, 1}, {4, 3}};
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(3)); // chapter 2 came on its second load
    EXPECT_TRUE(dialogs.shown.last().text.startsWith(QStringLiteral("网页三次打开失败")));
    EXPECT_EQ(serial::readChainState(series())->next, Site::url(4));

    dialogs.folders = {series()};
    chain.resume();
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(6));
}

TEST_F(SerialChainTest, AmongSeveralNextLinksTheUsersChoiceHoldsForLaterPages) {
    ASSERT_TRUE(QDir().mkpath(series()));
    site.advertNext = true;
    view()->show(1);
    dialogs.inputs = {QStringLiteral("2")};
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(6));
    EXPECT_EQ(dialogs.asked.size(), 1); // asked once, on the first page
    EXPECT_TRUE(dialogs.asked.first().contains("http://ads.test/1"));
    EXPECT_EQ(serial::readChainState(series())->choice, 2);

    // Cancelling the question stops the chain with the reason.
    const QString other = QDir(saveDir.path()).filePath("other");
    ASSERT_TRUE(QDir().mkpath(other));
    view()->show(1);
    commands::SerialChain second(context);
    second.run(view(), other, freshState(), true);
    ASSERT_TRUE(runToEnd(second));
    EXPECT_TRUE(dialogs.shown.last().text.startsWith(QStringLiteral("网页上有几个下一章链接")));
}

TEST_F(SerialChainTest, ALinkPointedAtOnceCarriesTheChainOnAndItsTextIsRemembered) {
    ASSERT_TRUE(QDir().mkpath(series()));
    site.nextLabel = QStringLiteral("继续阅读 »»");
    view()->show(1);
    commands::SerialChain chain(context);
    chain.run(view(), series(), freshState(), true);
    ASSERT_TRUE(runToEnd(chain));
    EXPECT_EQ(chapterFiles(), expectedFiles(1)); // no link it knows: it stopped

    chain.useLinkAsNextChapter(view(), Site::url(1), QStringLiteral("继续阅读 »»"));
    EXPECT_EQ(dialogs.shown.last().text, QStringLiteral("该链接的网页已经保存过了。"));
    QSignalSpy done(&chain, &commands::SerialChain::finished);
    chain.useLinkAsNextChapter(view(), Site::url(2), QStringLiteral(" 继续阅读  »» "));
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.first().first().toString(), QStringLiteral("已保存到最后一章，共6章"));
    EXPECT_EQ(chapterFiles(), expectedFiles(6));
    EXPECT_EQ(serial::readChainState(series())->linkText, QStringLiteral("继续阅读 »»"));

    // On a page where no chain stopped, the entry only says why it does nothing.
    view()->show(3);
    chain.useLinkAsNextChapter(view(), Site::url(4), QStringLiteral("继续阅读 »»"));
    EXPECT_TRUE(dialogs.shown.last().text.startsWith(QStringLiteral("只有在连续保存")));
}

} // namespace
