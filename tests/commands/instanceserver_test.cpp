#include "shell/instanceserver.h"
#include "shell/mainwindow.h"
#include "shell/privatesocket.h"
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

#include <csignal>
#include <future>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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
    Reply send(const shell::InstanceRequest &request, const QString &name = {}) {
        const QString to = name.isEmpty() ? socketName : name;
        auto reply = std::async(std::launch::async, [to, request] {
            return shell::InstanceServer(to).send(request, 5000);
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
    // Another start's scripts and engine addresses are refused; its pages and files open.
    EXPECT_EQ(
        send({{QUrl("javascript:alert(1)"), page, QUrl("chrome://crash"), file}, "openemail"}),
        Reply::Done);
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

// A list the window would not take is said to be too long, not that the window is silent.
TEST_F(InstanceServerTest, AListOverAMebibyteIsRefusedAsTooLong) {
    ASSERT_TRUE(server.serve(window));
    QList<QUrl> many;
    for (int i = 0; i < 12000; ++i)
        many.append(QUrl(QString("http://127.0.0.1:1/%1/%2").arg(QString(80, u'x')).arg(i)));
    EXPECT_EQ(send({many, {}}), Reply::TooLong);
    EXPECT_EQ(window.tabs().tabCount(), 1);
    many.resize(5000);
    EXPECT_EQ(send({many, {}}), Reply::Done);
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

constexpr unsigned kNobody = 65534;

bool makeFolder(const QString &path, mode_t mode, unsigned owner = ::getuid()) {
    const QByteArray name = QFile::encodeName(path);
    return ::mkdir(name, 0700) == 0 && ::chmod(name, mode) == 0 &&
           (owner == ::getuid() || ::chown(name, owner, owner) == 0);
}

sockaddr_un socketAddress(const QString &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    memcpy(address.sun_path, name.constData(),
           qMin(size_t(name.size()), sizeof(address.sun_path) - 1));
    return address;
}

// Sets an environment variable (or unsets it, for a null value) until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        set(value);
    }
    ~ScopedVariable() { set(m_had ? m_old : QByteArray()); }
    void set(const QByteArray &value) {
        if (value.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, value);
    }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_had;
};

// Runs `child` in a process of its own as the user nobody; its exit status (or -1 when it did
// not end normally) once it has ended, this process's events handled meanwhile.
template <typename Child> int asNobody(Child child, const std::function<void()> &meanwhile = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10); // a child that hangs ends
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(3);
        ::_exit(child());
    }
    if (meanwhile)
        meanwhile();
    int status = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 15000));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PrivateSocketFolderTest, OnlyAFolderOfTheUserClosedToOthersIsUsed) {
    QTemporaryDir dir;
    const unsigned uid = ::getuid();
    const QString own = QStringLiteral("lumaro-%1").arg(uid);
    const auto at = [&](const QString &name) { return QDir(dir.path()).filePath(name); };
    ASSERT_TRUE(makeFolder(at("closed"), 0700));
    ASSERT_TRUE(makeFolder(at("open"), 0777));
    ASSERT_TRUE(makeFolder(at("readable"), 0755));
    ASSERT_EQ(::symlink(QFile::encodeName(at("closed")), QFile::encodeName(at("link"))), 0);
    for (const char *temp : {"t1", "t2", "t3", "t4", "t5"})
        ASSERT_TRUE(makeFolder(at(temp), 01777)); // as /tmp
    ASSERT_TRUE(makeFolder(at("t2/" + own), 0777));
    ASSERT_TRUE(makeFolder(at("t3/" + own), 0700));
    ASSERT_EQ(::symlink(QFile::encodeName(at("closed")), QFile::encodeName(at("t4/" + own))), 0);
    const bool root = uid == 0;
    if (root) {
        ASSERT_TRUE(makeFolder(at("foreign"), 0700, kNobody));
        ASSERT_TRUE(makeFolder(at("t5/" + own), 0700, kNobody));
    }

    const struct {
        const char *runtime;
        const char *temp;
        QString expected; // empty: no folder
    } cases[] = {
        {"closed", "t1", at("closed")},
        {"", "t1", at("t1/" + own)},         // made
        {"open", "t1", at("t1/" + own)},     // the runtime folder is open to all
        {"readable", "t1", at("t1/" + own)}, // others may list it
        {"link", "t1", at("t1/" + own)},     // a link, not a folder
        {"missing", "t1", at("t1/" + own)},  // not there
        {"", "t2", {}},                      // found open to all: refused, not repaired
        {"", "t3", at("t3/" + own)},         // found as it should be
        {"", "t4", {}},                      // a link to a private folder
        {"", "missing", {}},                 // nowhere to make it
        {"foreign", "t1", at("t1/" + own)},  // root only: another user's runtime folder
        {"", "t5", {}},                      // root only: another user made it first
    };
    for (const auto &c : cases) {
        if (!root && (QByteArray(c.runtime) == "foreign" || QByteArray(c.temp) == "t5"))
            continue;
        const QString runtime = *c.runtime ? at(c.runtime) : QString();
        EXPECT_EQ(shell::privateSocketFolder(runtime, at(c.temp), uid), c.expected)
            << c.runtime << " " << c.temp;
    }
    EXPECT_TRUE(shell::isPrivateFolder(at("t1/" + own), uid));
    EXPECT_EQ(QFileInfo(at("t2/" + own)).permissions() & QFileDevice::WriteOther,
              QFileDevice::WriteOther); // left as it was found
}

// With no runtime folder of its own, the socket once went into the shared temporary folder
// under a name any user could bind first.
TEST(InstanceSocketNameTest, LivesInAFolderOfTheUsersOwnWhateverTheEnvironment) {
    QTemporaryDir dir;
    const QString data = QDir(dir.path()).filePath("data");
    const QString temp = QDir(dir.path()).filePath("tmp");
    ASSERT_TRUE(makeFolder(temp, 01777));
    const QString runtime = QDir(dir.path()).filePath("runtime");
    ASSERT_TRUE(makeFolder(runtime, 0700));
    ScopedVariable tempVariable("TMPDIR", QFile::encodeName(temp));
    ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", {});
    const auto nameWith = [&](const QByteArray &runtimeFolder) {
        runtimeVariable.set(runtimeFolder);
        return shell::InstanceServer::socketNameFor(data);
    };
    EXPECT_EQ(QFileInfo(nameWith(QFile::encodeName(runtime))).path(), runtime);
    if (::getuid() == 0) {
        // Qt's own fallback runtime folder belongs to somebody else.
        ASSERT_TRUE(
            makeFolder(QDir(temp).filePath(QStringLiteral("runtime-") +
                                           QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name)),
                       0700, kNobody));
        ASSERT_TRUE(makeFolder(QDir(dir.path()).filePath("foreign"), 0700, kNobody));
    }
    for (const QByteArray &runtimeFolder :
         {QByteArray(), QByteArray(""), QFile::encodeName(QDir(dir.path()).filePath("foreign"))}) {
        const QString name = nameWith(runtimeFolder);
        EXPECT_TRUE(QFileInfo(name).isAbsolute()) << name.toStdString();
        EXPECT_TRUE(shell::isPrivateFolder(QFileInfo(name).path(), ::getuid()))
            << name.toStdString();
        EXPECT_LT(QFile::encodeName(name).size(), 100);
    }
}

// Each end talks only to a process of its own user: another user's start is not obeyed, and
// another user's socket is handed nothing.
TEST_F(InstanceServerTest, AnotherUsersStartIsNotObeyed) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to start a process of another user";
    QTemporaryDir open;
    ASSERT_TRUE(
        QFile::setPermissions(open.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ExeOther));
    const QString path = QDir(open.path()).filePath("s");
    shell::InstanceServer reachable(path);
    ASSERT_TRUE(reachable.serve(window));
    ASSERT_EQ(::chmod(QFile::encodeName(path), 0777), 0);
    const sockaddr_un address = socketAddress(path);
    const int status = asNobody([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0)
            return 2;
        const char line[] = "{\"open\":[\"http://127.0.0.1:1/a.htm\"],\"command\":\"\"}\n";
        if (::write(fd, line, sizeof(line) - 1) != ssize_t(sizeof(line) - 1))
            return 2;
        char answer[64];
        return ::read(fd, answer, sizeof(answer)) > 0 ? 1 : 0; // closed without an answer
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(window.tabs().tabCount(), 1);
    EXPECT_EQ(send({}, path), Reply::Done); // this user's starts still are
}

TEST_F(InstanceServerTest, AnotherUsersSocketIsHandedNothing) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to start a process of another user";
    QTemporaryDir open;
    ASSERT_TRUE(QFile::setPermissions(
        open.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                         QFileDevice::WriteOther | QFileDevice::ExeOther));
    const QString path = QDir(open.path()).filePath("s");
    const sockaddr_un address = socketAddress(path);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    shell::InstanceServer start(path);
    std::optional<int> handedOver;
    bool served = true;
    const int received = asNobody(
        [&] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0 ||
                ::chmod(address.sun_path, 0777) != 0 || ::listen(fd, 1) != 0)
                return 2;
            (void)!::write(ready[1], "r", 1);
            const int peer = ::accept(fd, nullptr, nullptr);
            char request[256];
            if (::read(peer, request, sizeof(request)) <= 0)
                return 0;
            (void)!::write(peer, "done\n", 5); // as the window would
            return 1;
        },
        [&] {
            char byte = 0;
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
            handedOver = start.handOver({{QUrl("http://127.0.0.1:1/a.htm?token=1")}, {}});
            served = start.serve(window);
        });
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(received, 0);
    EXPECT_FALSE(handedOver); // this start makes its own window
    EXPECT_FALSE(served);     // and leaves the other user's socket alone
    EXPECT_EQ(QFileInfo(path).ownerId(), kNobody);
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
