#include "shell/instanceserver.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/commandwait.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using Reply = shell::InstanceServer::Reply;

class InstanceServerTest : public ::testing::Test {
protected:
    InstanceServerTest()
        : socketName(QDir(socketDir.path()).filePath("s")),
          window(common::ProgramFolder(dataDir.path()), factory, &dialogs), server(socketName) {}

    // What a second start of the program does, from its own thread: the window answers from
    // this one, as from another process.
    Reply send(const shell::InstanceRequest &request) {
        auto reply = std::async(std::launch::async, [this, request] {
            return shell::InstanceServer(socketName).send(request, 5000);
        });
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            10000));
        return reply.get();
    }
    testing_support::FakeBrowserView *view(int index) { return factory.created.value(index); }

    QTemporaryDir dataDir;
    QTemporaryDir socketDir;
    QString socketName;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    shell::MainWindow window;
    shell::InstanceServer server;
};

TEST_F(InstanceServerTest, HandsAddressesAndAMenuEntryToTheRunningWindow) {
    ASSERT_TRUE(server.serve(window));
    const QUrl page("http://127.0.0.1:1/新闻?a=1&b=2");
    const QUrl file = QUrl::fromLocalFile(QString::fromUtf8("/tmp/我的 网页#1.htm"));
    EXPECT_EQ(send({{page, file}, "openemail"}), Reply::Done);
    ASSERT_EQ(window.tabs().tabCount(), 3);
    EXPECT_EQ(view(1)->navigations, QList<QUrl>({page}));
    EXPECT_EQ(view(2)->navigations, QList<QUrl>({file}));
    EXPECT_EQ(window.tabs().currentView(), view(1)); // the first address is shown
    // The entry is chosen once the window's loop runs again, as after a click.
    QTRY_VERIFY(window.panelText("s2").contains(QDir(dataDir.path()).filePath("email.txt")));

    // The menu bar's entries are reached by their keys too.
    QAction *source = window.menuBar()->findChild<QAction *>("view_source");
    ASSERT_TRUE(source);
    QSignalSpy chosen(source, &QAction::triggered);
    EXPECT_EQ(send({{}, "view_source"}), Reply::Done);
    QTRY_COMPARE(chosen.size(), 1);
}

TEST_F(InstanceServerTest, UnknownKeysAndSeparatorsAreRefused) {
    ASSERT_TRUE(server.serve(window));
    for (const char *key : {"nosuchkey", "fg4543"}) {
        EXPECT_EQ(send({{}, key}), Reply::UnknownCommand) << key;
    }
    QTest::qWait(20);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(window.tabs().tabCount(), 1);
}

TEST_F(InstanceServerTest, FirstStartOpensItsOwnAddressesAfterTheFavourites) {
    const QUrl page("http://127.0.0.1:1/a.htm");
    ASSERT_TRUE(server.serve(window, {{page}, {}}));
    ASSERT_TRUE(testing_support::untilIdle(window.commands()));
    ASSERT_EQ(window.tabs().tabCount(), 2);
    EXPECT_EQ(view(0)->navigations,
              QList<QUrl>({QUrl::fromLocalFile(QDir(dataDir.path()).filePath("link.htm"))}));
    EXPECT_EQ(view(1)->navigations, QList<QUrl>({page}));
}

TEST_F(InstanceServerTest, NobodyListeningMeansThisStartBecomesTheWindow) {
    EXPECT_EQ(send({{}, "openemail"}), Reply::NoWindow);
}

// A start that comes while the first window is still being built waits for that window
// instead of making a second one on the same data folder.
TEST_F(InstanceServerTest, AStartDuringTheFirstStartWaitsForItsWindow) {
    shell::InstanceServer first(socketName);
    EXPECT_FALSE(first.handOver({}));
    const QUrl page("http://127.0.0.1:1/a.htm");
    auto reply = std::async(std::launch::async, [this, page] {
        return shell::InstanceServer(socketName).send({{page}, {}}, 5000);
    });
    QTest::qWait(200); // the request arrives; the window does not exist yet
    EXPECT_EQ(window.tabs().tabCount(), 1);
    ASSERT_TRUE(first.serve(window));
    ASSERT_TRUE(testing_support::untilIdle(window.commands()));
    EXPECT_EQ(window.tabs().tabCount(), 2);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(reply.get(), Reply::Done);
}

// A window that crashed leaves its socket file behind; the next start must not hang on it
// nor fail to listen.
TEST_F(InstanceServerTest, TakesOverTheSocketACrashLeftBehind) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketName);
    ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
    memcpy(address.sun_path, path.constData(), path.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(socketName));

    EXPECT_EQ(send({}), Reply::NoWindow);
    ASSERT_TRUE(server.serve(window));
    EXPECT_EQ(send({}), Reply::Done);
}

TEST_F(InstanceServerTest, OneSocketPerDataFolder) {
    const QString name = shell::InstanceServer::socketNameFor(dataDir.path());
    EXPECT_EQ(shell::InstanceServer::socketNameFor(dataDir.path() + "/./"), name);
    EXPECT_NE(shell::InstanceServer::socketNameFor(socketDir.path()), name);
    EXPECT_LT(QFile::encodeName(name).size(), 100); // fits a Unix socket address
}

TEST(InstanceRequestTest, SurvivesTheWireAndRejectsWhatIsNotARequest) {
    const shell::InstanceRequest request{
        {QUrl("http://h/a b?q=中文&x=1#f"), QUrl::fromLocalFile("/tmp/\n.htm")},
        QString::fromUtf8("template_常用")};
    const QByteArray line = request.encode();
    EXPECT_EQ(line.count('\n'), 1);
    EXPECT_TRUE(line.endsWith('\n'));
    const auto decoded = shell::InstanceRequest::decode(line);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->addresses, request.addresses);
    EXPECT_EQ(decoded->command, request.command);
    EXPECT_FALSE(shell::InstanceRequest::decode("GET / HTTP/1.0\r\n"));
    EXPECT_FALSE(shell::InstanceRequest::decode("[1,2]\n"));
}

} // namespace
