// The list under the address box, what the user decides about the history, and the visits
// brought from other browsers.
#include "../fulltext/coreapplication.h"
#include "history/addresscompletion.h"
#include "history/browserimport.h"
#include "history/historysettings.h"
#include "history/historystore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using history::Completion;
using Kind = history::Completion::Kind;

constexpr qint64 kDay = 24 * 3600 * 1000LL;
const qint64 kNow = QDateTime(QDate(2026, 12, 9), QTime(12, 0)).toMSecsSinceEpoch();

QStringList addressesOf(const QList<Completion> &rows) {
    QStringList list;
    for (const Completion &row : rows)
        list.append(row.address);
    return list;
}

TEST(AddressCompletionTest, FavouritesFirstThenHistoryThenSavedEachOnceAndTheSearchLast) {
    const QList<Completion> favourites{
        {Kind::Favourite, "https://a.cn/", "天气 首页"},
        {Kind::Favourite, "https://b.cn/", "新闻"},
        {Kind::Favourite, "https://weather.cn/", ""},
    };
    const QList<Completion> visited{{Kind::History, "https://c.cn/", "天气"},
                                    {Kind::History, "https://a.cn/", "天气 首页"}};
    const QList<Completion> saved{{Kind::Saved, "file:///d/天气.htm", "天气"}};
    const QList<Completion> rows =
        history::completionList(" 天气 ", favourites, visited, saved, 10);
    EXPECT_EQ(addressesOf(rows),
              (QStringList{"https://a.cn/", "https://c.cn/", "file:///d/天气.htm", ""}));
    EXPECT_EQ(rows.last(), (Completion{Kind::SearchSaved, "", "天气"}));
    // Every word, in address or title, any letter case; the limit leaves room for the search.
    EXPECT_EQ(addressesOf(history::completionList("WEATHER", favourites, {}, {}, 10)),
              (QStringList{"https://weather.cn/", ""}));
    EXPECT_EQ(history::completionList("天气 首页", favourites, visited, saved, 1).size(), 2);
    EXPECT_TRUE(history::completionList("  ", favourites, visited, saved, 10).isEmpty());

    // Often and lately: visits weighed by the age of the last one.
    EXPECT_EQ(history::frecency(3, kNow - kDay, kNow), 300);
    EXPECT_EQ(history::frecency(3, kNow - 180 * kDay, kNow), 30);
    EXPECT_GT(history::frecency(1, kNow - kDay, kNow),
              history::frecency(5, kNow - 100 * kDay, kNow));
}

class HistoryFilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing_support::ensureCoreApplication(); }
    QString file(const QString &name) const { return QDir(dir.path()).filePath(name); }
    std::unique_ptr<history::HistoryStore> open() {
        QString error;
        auto store = history::HistoryStore::open(file("history.sqlite"), &error);
        EXPECT_TRUE(store) << error.toStdString();
        return store;
    }
    // An SQLite file made by `statements` (split at ";").
    void makeDatabase(const QString &path, const QString &statements) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "maker");
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            for (const QString &statement : statements.split(';', Qt::SkipEmptyParts))
                ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
            db.close();
        }
        QSqlDatabase::removeDatabase("maker");
    }
    QTemporaryDir dir;
};

TEST_F(HistoryFilesTest, SuggestionsRankOftenAndLatelyVisitedPagesFirst) {
    auto store = open();
    // Five visits three months ago count less than two this week.
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(store->recordVisit("https://old.example.cn/", "旧 天气", kNow - 100 * kDay));
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(store->recordVisit("https://new.example.cn/", "新 天气", kNow - kDay));
    ASSERT_TRUE(store->recordVisit("https://once.example.cn/", "天气", kNow - 2 * kDay));
    ASSERT_TRUE(store->recordVisit("https://other.cn/50%_off", "Sale", kNow));
    EXPECT_EQ(addressesOf(store->suggest("天气", kNow, 10)),
              (QStringList{"https://new.example.cn/", "https://once.example.cn/",
                           "https://old.example.cn/"}));
    EXPECT_EQ(addressesOf(store->suggest("EXAMPLE 旧", kNow, 10)),
              QStringList{"https://old.example.cn/"});
    EXPECT_EQ(addressesOf(store->suggest("%_", kNow, 10)), QStringList{"https://other.cn/50%_off"});
    EXPECT_EQ(store->suggest("天气", kNow, 1).size(), 1);
    // Shift+Delete takes the page out with every visit.
    EXPECT_EQ(store->removePage("https://old.example.cn/"), 5);
    EXPECT_EQ(addressesOf(store->suggest("旧", kNow, 10)), QStringList{});
}

TEST_F(HistoryFilesTest, SettingsKeepSitesOutWithTheirSubdomainsAndSurviveAHostileFile) {
    {
        history::HistorySettings settings(file("history.ini"));
        EXPECT_TRUE(settings.recording());
        EXPECT_TRUE(settings.exclude("Example.CN"));
        EXPECT_TRUE(settings.setRecording(false));
    }
    history::HistorySettings read(file("history.ini"));
    EXPECT_FALSE(read.recording());
    EXPECT_FALSE(read.records("https://a.cn/"));
    ASSERT_TRUE(read.setRecording(true));
    const struct {
        const char *address;
        bool recorded;
    } rows[] = {{"https://example.cn/a", false},
                {"https://news.example.cn/a", false},
                {"https://notexample.cn/a", true},
                {"file:///d/a.htm", true}};
    for (const auto &row : rows)
        EXPECT_EQ(read.records(row.address), row.recorded) << row.address;

    QFile hostile(file("hostile.ini"));
    ASSERT_TRUE(hostile.open(QIODevice::WriteOnly));
    hostile.write(QByteArray("record=maybe\nexclude=\nexclude=a b\n\xff\xfe") + '\0' +
                  "garbage\nexclude=ok.cn\r\n");
    hostile.close();
    history::HistorySettings tolerant(file("hostile.ini"));
    EXPECT_TRUE(tolerant.recording());
    EXPECT_EQ(tolerant.excluded(), QStringList{"ok.cn"});

    // A folder that cannot be written: the choice holds for this run and the failure is said.
    history::HistorySettings unwritable(file("no/such/folder/history.ini"));
    QString error;
    EXPECT_FALSE(unwritable.exclude("x.cn", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(unwritable.isExcluded("www.x.cn"));
}

TEST_F(HistoryFilesTest, FirefoxAndChromiumVisitsAreImportedOnceWithTitles) {
    const qint64 visitMs = kNow - kDay;
    makeDatabase(
        file("places.sqlite"),
        QStringLiteral("CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT, title TEXT);"
                       "CREATE TABLE moz_historyvisits(id INTEGER PRIMARY KEY, place_id INTEGER, "
                       "visit_date INTEGER);"
                       "INSERT INTO moz_places VALUES(1, 'https://ff.example.cn/', '火狐 页');"
                       "INSERT INTO moz_places VALUES(2, 'place:sort=8', 'a query');"
                       "INSERT INTO moz_places VALUES(3, 'https://ff.example.cn/untitled', NULL);"
                       "INSERT INTO moz_historyvisits VALUES(1, 1, %1);"
                       "INSERT INTO moz_historyvisits VALUES(2, 1, %2);"
                       "INSERT INTO moz_historyvisits VALUES(3, 2, %1);"
                       "INSERT INTO moz_historyvisits VALUES(4, 3, %1)")
            .arg(visitMs * 1000)
            .arg((visitMs + 60000) * 1000));
    makeDatabase(
        file("History"),
        QStringLiteral("CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT, title TEXT);"
                       "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER, "
                       "visit_time INTEGER);"
                       "INSERT INTO urls VALUES(1, 'https://cr.example.cn/', 'Chromium 页');"
                       "INSERT INTO visits VALUES(1, 1, %1)")
            .arg((visitMs + 11644473600000) * 1000));
    const history::OtherHistory firefox = history::readOtherBrowserHistory(file("places.sqlite"));
    EXPECT_EQ(firefox.browser, "Firefox");
    ASSERT_EQ(firefox.visits.size(), 3); // place: queries are no pages
    const history::OtherHistory chromium = history::readOtherBrowserHistory(file("History"));
    EXPECT_EQ(chromium.browser, "Chromium");
    ASSERT_EQ(chromium.visits.size(), 1);
    EXPECT_EQ(chromium.visits[0].time, visitMs);
    EXPECT_EQ(chromium.visits[0].title, "Chromium 页");

    auto store = open();
    EXPECT_EQ(store->importVisits(firefox.visits), 3);
    EXPECT_EQ(store->importVisits(firefox.visits + chromium.visits), 1); // no visit twice
    const QList<history::Visit> pages = store->pages(10);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[0].address, "https://ff.example.cn/");
    EXPECT_EQ(pages[0].title, "火狐 页");
    EXPECT_EQ(pages[0].time, visitMs + 60000);
    EXPECT_EQ(addressesOf(store->suggest("火狐", kNow, 10)), QStringList{"https://ff.example.cn/"});

    // Neither browser's: a text file, a file cut short, an SQLite file of something else.
    QFile text(file("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a database");
    text.close();
    QFile::copy(file("places.sqlite"), file("cut.sqlite"));
    QFile cut(file("cut.sqlite"));
    ASSERT_TRUE(cut.resize(1500));
    makeDatabase(file("other.sqlite"), "CREATE TABLE t(x)");
    for (const char *name : {"notes.txt", "cut.sqlite", "other.sqlite", "missing.sqlite"}) {
        const history::OtherHistory read = history::readOtherBrowserHistory(file(name));
        EXPECT_TRUE(read.browser.isEmpty()) << name;
        EXPECT_FALSE(read.error.isEmpty()) << name;
    }
}

// A places.sqlite that Firefox itself made, by visiting a page from a file.
TEST_F(HistoryFilesTest, APlacesFileMadeByFirefoxIsImported) {
    const QString firefox = QStandardPaths::findExecutable("firefox-esr");
    if (firefox.isEmpty())
        GTEST_SKIP() << "firefox-esr is not installed";
    QFile page(file("page.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>Firefox made this</title></head><body>x</body></html>");
    page.close();
    QDir().mkpath(file("profile"));
    QProcess run;
    run.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MOZ_HEADLESS", "1");
        return env;
    }());
    run.start(firefox, {"--headless", "--no-remote", "--profile", file("profile"), "--screenshot",
                        file("shot.png"), QUrl::fromLocalFile(file("page.html")).toString()});
    ASSERT_TRUE(run.waitForFinished(120000));
    const QString places = file("profile/places.sqlite");
    ASSERT_TRUE(QFile::exists(places));
    const history::OtherHistory read = history::readOtherBrowserHistory(places);
    EXPECT_EQ(read.browser, "Firefox") << read.error.toStdString();
    auto store = open();
    ASSERT_GE(store->importVisits(read.visits), 0) << store->fault().message.toStdString();
    QStringList titles;
    for (const history::Visit &visit : store->pages(10))
        titles.append(visit.title);
    EXPECT_TRUE(titles.contains("Firefox made this")) << titles.join(" | ").toStdString();
}

} // namespace
