// The window with the real engine: tabs brought back after a crash of the real program, the
// page menu's save, PDF printing, and an HTTP login answered in the login dialog.
#include "scriptwait.h"
#include "windowfixture.h"

#include "browser/tabsession.h"
#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "fulltext/resultspage.h"
#include "fulltext/savedsearch.h"
#include "history/historyservice.h"
#include "shell/chinese.h"
#include "shell/commands.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/pagewait.h"
#include "support/programfoldercopy.h"
#include "support/waitfor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <iostream>

namespace {

using browser::BrowserView;
using testing_support::waitFor;

// Copies the staged program folder (without the executable and any profile).

// One page over HTTPS on 127.0.0.1, with a self-signed certificate the engine does not trust.
class UntrustedHttpsServer : public QObject {
public:
    UntrustedHttpsServer() {
        const QString data = QStringLiteral(LUMARO_TEST_DATA "/tls/");
        QFile cert(data + "selfsigned.crt");
        QFile key(data + "selfsigned.key");
        EXPECT_TRUE(cert.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly));
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(cert.readAll()));
        config.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
        m_server.setSslConfiguration(config);
        connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    const QByteArray body =
                        "<html><head><title>tls</title></head><body>behind tls</body></html>";
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                  "Content-Length: " +
                                  QByteArray::number(body.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
    }
    QUrl url() const { return QUrl(QString("https://127.0.0.1:%1/").arg(m_server.serverPort())); }

private:
    QSslServer m_server;
};

// The program's start: Chinese before the engine starts.
class ChineseProgram : public ::testing::Environment {
public:
    void SetUp() override { installed = shell::useChinese(*QCoreApplication::instance()); }
    static inline int installed = 0;
};
const auto *const chineseProgram = ::testing::AddGlobalTestEnvironment(new ChineseProgram);

bool loaded(BrowserView *view) {
    return view && !view->isBusy() && !view->url().isEmpty();
}

std::optional<browser::TabSession> readSession(const QString &folder) {
    QFile file(QDir(folder).filePath("session.json"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return browser::TabSession::fromJson(file.readAll());
}

QStringList sessionUrls(const QString &folder) {
    QStringList urls;
    if (const auto session = readSession(folder)) {
        for (const browser::TabRecord &tab : session->tabs)
            urls.append(tab.url.toString());
    }
    return urls;
}

// The first run of the crash test, in a process of its own: the real window on the folder
// and server it is given opens five pages, says READY once the session file holds them, and
// waits to be killed. Skipped in ordinary runs.
TEST(WindowChild, OpensFivePagesAndWaitsToBeKilled) {
    const QString folder = qEnvironmentVariable("LUMARO_E2E_CHILD_FOLDER");
    const QString server = qEnvironmentVariable("LUMARO_E2E_CHILD_SERVER");
    if (folder.isEmpty())
        GTEST_SKIP() << "run by WindowEndToEnd.TabsComeBackAfterTheProgramIsKilled";
    testing_support::FakeDialogs dialogs;
    browser::WebEngineViewFactory factory{QString()};
    shell::MainWindow window(common::ProgramFolder(folder), factory, &dialogs);
    window.show();
    QStringList urls;
    for (int i = 1; i <= 5; ++i) {
        urls.append(server + QString("/p%1.htm").arg(i));
        window.tabs().openInNewTab(QUrl(urls.last()), true, true);
    }
    window.tabs().markTab(3); // the second page
    ASSERT_TRUE(waitFor([&] { return sessionUrls(folder) == urls; }, 20000));
    std::cout << "READY" << std::endl;
    testing_support::pause(60000);
    ADD_FAILURE() << "not killed";
}

class WindowEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::copyStagedProgramFolder(programDir.path());
        for (int i = 1; i <= 5; ++i)
            server.addPage(QString("/p%1.htm").arg(i),
                           QString("<html><head><title>第%1页</title></head><body>page %1"
                                   "</body></html>")
                               .arg(i)
                               .toUtf8());
        server.addPage("/secret.htm",
                       "<html><head><title>secret</title></head><body>members only</body></html>");
        server.protectPage("/secret.htm", "reader", "pa:ss", "Lumaro test");
        server.addPage("/closed.htm", "<html><body>closed door</body></html>");
        server.protectPage("/closed.htm", "other", "x", "Other");
    }

    void openWindow() {
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs);
        window->setSavePath(saveDir.path());
        window->resize(1000, 700);
        window->show();
        ASSERT_TRUE(waitFor([&] { return loaded(window->tabs().viewAt(0)); }));
    }
    void TearDown() override { window.reset(); }

    BrowserView *openAndShow(const QUrl &url) {
        window->openAddress(url.toString());
        BrowserView *view = window->tabs().currentView();
        EXPECT_TRUE(waitFor([&] { return loaded(view) && view->url() == url; }));
        return view;
    }
    QStringList savedFiles(const QString &pattern) const {
        return QDir(saveDir.path()).entryList({pattern}, QDir::Files);
    }

    QTemporaryDir programDir;
    QTemporaryDir saveDir;
    testing_support::LocalHttpServer server;
    testing_support::FakeDialogs dialogs;
    browser::WebEngineViewFactory factory{QString()};
    std::unique_ptr<shell::MainWindow> window;
};

TEST_F(WindowEndToEnd, TabsComeBackAfterTheProgramIsKilled) {
    const QString base = server.url("").toString();
    QStringList urls;
    for (int i = 1; i <= 5; ++i)
        urls.append(base + QString("/p%1.htm").arg(i));

    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMARO_E2E_CHILD_FOLDER", programDir.path());
    env.insert("LUMARO_E2E_CHILD_SERVER", base);
    first.setProcessEnvironment(env);
    first.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=WindowChild.OpensFivePagesAndWaitsToBeKilled"});
    QByteArray output;
    ASSERT_TRUE(waitFor(
        [&] {
            output += first.readAllStandardOutput();
            return output.contains("READY") || first.state() == QProcess::NotRunning;
        },
        60000));
    ASSERT_TRUE(output.contains("READY")) << output.toStdString();
    first.kill(); // SIGKILL: no clean quit
    first.waitForFinished();
    const auto left = readSession(programDir.path());
    ASSERT_TRUE(left);
    EXPECT_FALSE(left->cleanQuit);

    // The real program, started on the same folder, opens the five pages again.
    const QString program = QDir(programDir.path()).filePath("lumaro");
    ASSERT_TRUE(QFile::copy(QStringLiteral(LUMARO_EXECUTABLE), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    QHash<QString, int> before;
    for (int i = 1; i <= 5; ++i)
        before[QString("/p%1.htm").arg(i)] = server.requestsFor(QString("/p%1.htm").arg(i));
    QProcess second;
    second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    second.start(program, {QStringLiteral("--data-dir"), programDir.path()});
    const bool reloaded = waitFor(
        [&] {
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                if (server.requestsFor(it.key()) <= it.value())
                    return false;
            }
            return true;
        },
        60000);
    // It also keeps them in its own session file, marks included.
    const bool kept = waitFor(
        [&] {
            const auto session = readSession(programDir.path());
            return session && sessionUrls(programDir.path()) == urls &&
                   session->tabs.value(1).marked; // the third tab, marked in the first run
        },
        10000);
    second.kill();
    second.waitForFinished();
    EXPECT_TRUE(reloaded) << second.readAllStandardError().toStdString();
    QFile sessionFile(QDir(programDir.path()).filePath("session.json"));
    EXPECT_TRUE(kept) << (sessionFile.open(QIODevice::ReadOnly)
                              ? sessionFile.readAll().toStdString()
                              : std::string("no session file"));
}

TEST_F(WindowEndToEnd, ThePageMenusSaveWritesTheCompletePageIntoTheSaveFolder) {
    openWindow();
    BrowserView *page = openAndShow(server.url("/p2.htm"));
    // The page menu's "save page" is this action of the engine's page.
    static_cast<browser::WebEngineView *>(page)->page()->triggerAction(QWebEnginePage::SavePage);
    ASSERT_TRUE(waitFor(
        [&] { return window->panelText("s2").startsWith(QString::fromUtf8("下载完成：")); }));
    const QStringList saved = savedFiles("*.mhtml");
    ASSERT_EQ(saved.size(), 1);
    QFile file(QDir(saveDir.path()).filePath(saved[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("page 2"));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.value(0).text.toStdString();
}

TEST_F(WindowEndToEnd, TheEngineSpeaksChineseAndAsksForChinesePages) {
    EXPECT_EQ(ChineseProgram::installed, 2); // qtbase and qtwebengine
    openWindow();
    BrowserView *page = openAndShow(server.url("/p1.htm"));
    QWebEnginePage *engine = static_cast<browser::WebEngineView *>(page)->page();
    for (auto action : {QWebEnginePage::Back, QWebEnginePage::Reload, QWebEnginePage::SavePage}) {
        const QString text = engine->action(action)->text();
        EXPECT_TRUE(text.contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")))
            << text.toStdString();
    }
    EXPECT_EQ(QLocale().name(), "zh_CN");
    EXPECT_TRUE(server.lastHeaders("/p1.htm").contains("Accept-Language: zh-CN,zh;q=0.9"))
        << server.lastHeaders("/p1.htm").toStdString();
}

TEST_F(WindowEndToEnd, PrintToPdfWritesAPdfNamedAfterThePage) {
    openWindow();
    openAndShow(server.url("/p3.htm"));
    window->commands().files().printToPdf();
    ASSERT_TRUE(waitFor(
        [&] { return window->panelText("s2").startsWith(QString::fromUtf8("已打印为PDF")); }));
    const QString path = QDir(saveDir.path()).filePath(QString::fromUtf8("第3页.pdf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

TEST_F(WindowEndToEnd, APageBehindAnHttpLoginAsksForItAndLoads) {
    openWindow();
    dialogs.logins = {browser::PageDialogs::Login{"reader", "pa:ss"}};
    const QUrl url = server.url("/secret.htm");
    window->openAddress(url.toString());
    BrowserView *view = window->tabs().currentView();
    ASSERT_TRUE(waitFor([&] { return loaded(view) && view->title() == "secret"; }));
    EXPECT_TRUE(testing_support::htmlNow(view).value_or(QString()).contains("members only"));
    EXPECT_TRUE(dialogs.asked.contains("login:127.0.0.1:Lumaro test"));
    // Cancelled, the login is refused and the page stays closed.
    testing_support::pause(800); // past the new-tab throttle
    window->openAddress(server.url("/closed.htm").toString());
    BrowserView *refused = window->tabs().currentView();
    ASSERT_NE(refused, view);
    ASSERT_TRUE(waitFor([&] { return dialogs.asked.contains("login:127.0.0.1:Other"); }));
    testing_support::pause(500);
    EXPECT_FALSE(testing_support::htmlNow(refused).value_or(QString()).contains("closed door"));
}

TEST_F(WindowEndToEnd, ACertificateErrorAsksAndGoesOnOnlyWhenTheUserSaysSo) {
    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "no TLS backend";
    openWindow();
    UntrustedHttpsServer https;
    dialogs.goOnDespiteCertificate = false;
    window->openAddress(https.url().toString());
    BrowserView *refused = window->tabs().currentView();
    ASSERT_TRUE(waitFor([&] { return dialogs.asked.contains("certificate:127.0.0.1"); }));
    ASSERT_TRUE(waitFor([&] { return !refused->isBusy(); }));
    EXPECT_FALSE(testing_support::htmlNow(refused).value_or(QString()).contains("behind tls"));

    testing_support::pause(800); // past the new-tab throttle
    dialogs.asked.clear();
    dialogs.goOnDespiteCertificate = true;
    window->openAddress(https.url().toString() + "?again");
    BrowserView *accepted = window->tabs().currentView();
    ASSERT_NE(accepted, refused);
    ASSERT_TRUE(waitFor([&] { return accepted->title() == "tls"; }));
    EXPECT_TRUE(dialogs.asked.contains("certificate:127.0.0.1"));
}

} // namespace

// A page saved a moment ago is found on "搜索已保存的网页" as the words are typed; a click on
// the hit opens the saved file, and Back shows the same results again.
TEST_F(WindowEndToEnd, ThePageSavedAMomentAgoIsFoundAsTheUserTypesAndOpensWithAClick) {
    server.addPage("/weather.htm",
                   QString("<html><head><meta charset=\"utf-8\"><title>北京天气预报</title></head>"
                           "<body><p>明天有雷阵雨，气温下降。</p></body></html>")
                       .toUtf8());
    openWindow();
    window->startIndexing();
    openAndShow(server.url("/weather.htm"));
    bool done = false;
    ASSERT_TRUE(window->commands().enqueueMenuKey("onlysave", [&done] { done = true; }));
    ASSERT_TRUE(waitFor([&] { return done && !savedFiles("*.htm").isEmpty(); }));
    const QString saved = QDir(saveDir.path()).filePath(savedFiles("*.htm").value(0));

    done = false;
    window->activateWindow();
    ASSERT_TRUE(window->commands().enqueueMenuKey("searchsaved", [&done] { done = true; }));
    ASSERT_TRUE(waitFor([&] { return done; }));
    BrowserView *results = window->tabs().currentView();
    // Typed at once, before the page is there: nothing is lost.
    QTest::keyClicks(QApplication::focusWidget(), "ab");
    ASSERT_TRUE(waitFor([&] { return loaded(results); }));
    ASSERT_EQ(results->url(), QUrl("lumaro:searchsaved")) << results->loadError().toStdString();
    auto *engine = static_cast<browser::WebEngineView *>(results);
    auto js = [engine](const QString &script) {
        return testing_support::scriptNow(engine->page(), script);
    };
    ASSERT_TRUE(waitFor([&] { return js("document.activeElement.id") == "q"; }));
    window->activateWindow();
    // The page searches for them by itself, and keeps them in its box.
    ASSERT_TRUE(waitFor([&] {
        return loaded(results) && QUrlQuery(results->url()).queryItemValue("q") == "ab" &&
               js("document.getElementById('q').value") == "ab";
    })) << results->url().toString().toStdString();
    js("document.getElementById('q').value=''");
    // Typed as an input method types Chinese: composed first, then committed.
    QWidget *typingInto = engine->engineView()->focusProxy();
    QInputMethodEvent composing("leizhenyu", {});
    QApplication::sendEvent(typingInto, &composing);
    QInputMethodEvent committed;
    committed.setCommitString("雷阵雨");
    QApplication::sendEvent(typingInto, &committed);
    // The page searches again by itself once the typing stops; the index may still be taking
    // the file in, so a reload is what a user would do next.
    const QString firstHit = "document.querySelector('ol a') ? "
                             "decodeURI(document.querySelector('ol a').href) : ''";
    const QString savedUrl = QUrl::fromLocalFile(saved).toString();
    ASSERT_TRUE(waitFor(
        [&] {
            if (!loaded(results))
                return false;
            if (js(firstHit).toString() == savedUrl)
                return true;
            if (QUrlQuery(results->url()).queryItemValue("q", QUrl::FullyDecoded) != "雷阵雨")
                return false; // not searched yet
            results->reload();
            return false;
        },
        20000))
        << results->url().toString().toStdString();
    EXPECT_EQ(QUrlQuery(results->url()).queryItemValue("q", QUrl::FullyDecoded), "雷阵雨");
    EXPECT_TRUE(js("document.querySelector('.s mark').textContent").toString().contains("雷阵雨"));
    EXPECT_EQ(js("document.querySelector('ol a').textContent"), "北京天气预报");
    EXPECT_EQ(js("document.getElementById('q').value"), "雷阵雨");
    EXPECT_TRUE(js("document.querySelector('form.m').textContent")
                    .toString()
                    .contains(QRegularExpression("索引里有 \\d+ 个文件|正在建立索引")))
        << js("document.querySelector('form.m').textContent").toString().toStdString();
    // Narrowed to this week and newest first, the page saved a moment ago is still found.
    results->navigate(
        fulltext::resultsAddress(results->url(), {"雷阵雨 date:最近一周 sort:date", 0}));
    ASSERT_TRUE(waitFor([&] {
        return loaded(results) && js("Array.from(document.querySelectorAll('b'))"
                                     ".some(b => b.textContent == '最近一周')") == true;
    }));
    EXPECT_EQ(js(firstHit).toString(), savedUrl);

    QWidget *target = engine->engineView()->focusProxy();
    const QVariantList box =
        js("(function(){const r=document.querySelector('ol a').getBoundingClientRect();"
           "return [r.x+r.width/2,r.y+r.height/2];})()")
            .toList();
    ASSERT_EQ(box.size(), 2);
    const QPoint at(box[0].toInt(), box[1].toInt());
    QTest::mouseMove(target, at);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    ASSERT_TRUE(waitFor([&] { return loaded(results) && results->url().isLocalFile(); }));
    EXPECT_EQ(results->url().toLocalFile(), saved);
    results->goBack();
    ASSERT_TRUE(waitFor([&] {
        return loaded(results) && results->url().scheme() == "lumaro" &&
               js(firstHit).toString() == savedUrl;
    })) << results->url().toString().toStdString()
        << " " << js(firstHit).toString().toStdString();
}

// Pages read are kept in the history: listed on 历史记录 with their titles, found by a word of
// the title, and a whole site deleted once the user has said so on the page.
TEST_F(WindowEndToEnd, PagesReadAreListedOnTheHistoryPageAndASiteIsDeletedWhenConfirmed) {
    server.addPage("/a.htm", QString("<html><head><meta charset=\"utf-8\"><title>甲 <b>页"
                                     "</title></head><body>a</body></html>")
                                 .toUtf8());
    server.addPage("/b.htm", "<html><head><title>second page</title></head><body>b</body></html>");
    openWindow();
    window->startHistory();
    openAndShow(server.url("/a.htm"));
    openAndShow(server.url("/b.htm"));
    bool written = false;
    window->historyService()->whenWritten([&] { written = true; });
    ASSERT_TRUE(waitFor([&] { return written; }));

    bool done = false;
    ASSERT_TRUE(window->commands().enqueueMenuKey("history", [&done] { done = true; }));
    ASSERT_TRUE(waitFor([&] { return done; }));
    BrowserView *page = window->tabs().currentView();
    auto *engine = static_cast<browser::WebEngineView *>(page);
    const auto js = [engine](const QString &script) {
        return testing_support::scriptNow(engine->page(), script);
    };
    const QString links = "Array.from(document.querySelectorAll('li > a:not(.x)'))"
                          ".map(a => a.textContent).join('|')";
    ASSERT_TRUE(waitFor([&] { return loaded(page) && js(links) == "second page|甲 <b>页"; }))
        << js(links).toString().toStdString();
    EXPECT_EQ(page->url(), QUrl("lumaro:history"));

    page->navigate(QUrl("lumaro:history?q=%E7%94%B2"));
    ASSERT_TRUE(waitFor([&] { return loaded(page) && js(links) == "甲 <b>页"; }));

    // Deleting the site asks first; the answer on the page deletes both visits.
    ASSERT_TRUE(testing_support::WindowFixture::clickElement(
        page, "document.querySelector('a.x[href*=site]')"));
    ASSERT_TRUE(waitFor([&] {
        return loaded(page) && js("document.body.innerText").toString().contains("确定要删除网站");
    }));
    ASSERT_TRUE(testing_support::WindowFixture::clickElement(
        page, "document.querySelector('input[type=submit]')"));
    ASSERT_TRUE(waitFor([&] {
        return loaded(page) && js("document.body.innerText").toString().contains("已删除 2 条");
    })) << js("document.body.innerText").toString().toStdString();
    EXPECT_FALSE(page->url().toString().contains("site=")); // a reload deletes nothing more
    page->navigate(QUrl("lumaro:history"));
    ASSERT_TRUE(waitFor([&] {
        return loaded(page) && js("document.body.innerText").toString().contains("没有历史记录");
    }));
}

namespace {

// The addresses and texts of the list under the address box, one a line.
QStringList completionTexts(shell::MainWindow &window) {
    const auto *list = window.findChild<QListWidget *>("AddressCompletions");
    QStringList texts;
    for (int i = 0; list && list->isVisible() && i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

// What the index finds among the pages read.
QStringList readPagesFound(const QString &dataFolder, const QString &query) {
    fulltext::SearchFilters read;
    read.scope = fulltext::SearchFilters::Scope::Read;
    QStringList found;
    for (const auto &hit :
         fulltext::searchIndexFolder(QDir(dataFolder).filePath("index"), query, 0, 10, read).hits)
        found.append(hit.source);
    return found;
}

} // namespace

// Pages read are found again from the address box (Chinese typed as an input method sends it),
// and by a word of their text on the results page; a page with a password field is in the
// history but its text is not kept; "不记录这个网站" and "清除历史记录" leave nothing of them.
TEST_F(WindowEndToEnd, PagesReadAreFoundFromTheAddressBoxAndByTheirTextUntilTheUserSaysNo) {
    server.addPage("/river.htm", QString("<html><head><meta charset=\"utf-8\"><title>长江航运新闻"
                                         "</title></head><body><p>中华鲟保护区今年放流三万尾。</p>"
                                         "</body></html>")
                                     .toUtf8());
    server.addPage("/login.htm", QString("<html><head><meta charset=\"utf-8\"><title>航运登录"
                                         "</title></head><body><p>口令甲乙</p><form><input "
                                         "type=\"password\"></form></body></html>")
                                     .toUtf8());
    openWindow();
    window->startIndexing();
    window->startHistory();
    const QUrl river = server.url("/river.htm");
    QUrl login = server.url("/login.htm");
    login.setHost("localhost"); // another site
    // Each in a tab of its own: the address box's Enter within a moment of the last new tab
    // would load into that tab instead.
    const auto openInOwnTab = [&](const QUrl &url) {
        window->openChosenAddress(url.toString());
        BrowserView *view = window->tabs().currentView();
        EXPECT_TRUE(waitFor([&] { return loaded(view) && view->url() == url; }));
        return view;
    };
    BrowserView *loginTab = openInOwnTab(login);
    openInOwnTab(river);
    openInOwnTab(server.url("/p1.htm"));
    ASSERT_TRUE(
        waitFor([&] { return readPagesFound(programDir.path(), "page OR 中华鲟").size() == 2; }));
    EXPECT_EQ(readPagesFound(programDir.path(), "中华鲟"), QStringList{river.toString()});
    EXPECT_EQ(readPagesFound(programDir.path(), "口令甲乙"), QStringList{});

    // Typed into the address box as an input method types: composed, then committed.
    QLineEdit *edit = window->addressBox().lineEdit();
    window->activateWindow();
    edit->setFocus();
    edit->clear();
    QInputMethodEvent composing("hangyun", {});
    QApplication::sendEvent(edit, &composing);
    EXPECT_TRUE(completionTexts(*window).isEmpty()); // nothing while composing
    QInputMethodEvent committed;
    committed.setCommitString("航运");
    QApplication::sendEvent(edit, &committed);
    ASSERT_TRUE(waitFor([&] {
        const QStringList texts = completionTexts(*window);
        return texts.size() == 3 && texts.last() == "在已保存的网页中搜索 航运";
    })) << completionTexts(*window).join('\n').toStdString();
    // Shift+Delete takes the chosen visited page out of the history and the list.
    auto *list = window->findChild<QListWidget *>("AddressCompletions");
    const auto moveTo = [&](const QUrl &url) {
        for (int i = 0; i < list->count() + 1; ++i) {
            if (list->currentItem() && list->currentItem()->text().endsWith(url.toString()))
                return true;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        }
        return false;
    };
    ASSERT_TRUE(moveTo(login));
    // Keys go where the platform sends them: to the widget with the focus.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(completionTexts(*window).size(), 2);
    QList<history::Visit> loginVisits{{}};
    window->historyService()->visits(
        "login", 0, 10, [&](const QList<history::Visit> &visits) { loginVisits = visits; });
    ASSERT_TRUE(waitFor([&] { return loginVisits.isEmpty(); }));
    ASSERT_TRUE(moveTo(river));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    BrowserView *opened = nullptr;
    ASSERT_TRUE(waitFor([&] {
        opened = window->tabs().currentView();
        return loaded(opened) && opened->url() == river;
    }));
    EXPECT_FALSE(window->findChild<QListWidget *>("AddressCompletions")->isVisible());

    // 读过 on the results page: the hit opens the address.
    opened->navigate(QUrl("lumaro:searchsaved?q=%E4%B8%AD%E5%8D%8E%E9%B2%9F&in=read"));
    auto *engine = static_cast<browser::WebEngineView *>(opened);
    const auto js = [engine](const QString &script) {
        return testing_support::scriptNow(engine->page(), script);
    };
    ASSERT_TRUE(waitFor([&] {
        return loaded(opened) &&
               js("document.querySelector('ol a') ? document.querySelector('ol a').href : ''") ==
                   river.toString();
    })) << js("document.body.innerText").toString().toStdString();
    // Its text as the index keeps it, one click away.
    opened->navigate(QUrl(js("document.querySelector('ol .m a').href").toString()));
    ASSERT_TRUE(waitFor([&] {
        return loaded(opened) && opened->url().toString().startsWith("lumaro:readpage") &&
               js("document.querySelector('pre').textContent").toString().contains("中华鲟保护区");
    })) << opened->url().toString().toStdString();

    // 不记录这个网站 on the login page, then 清除历史记录.
    window->tabs().bringToFront(loginTab);
    bool done = false;
    ASSERT_TRUE(window->commands().enqueueMenuKey("excludesite", [&done] { done = true; }));
    ASSERT_TRUE(waitFor([&] { return done; }));
    opened->navigate(QUrl("lumaro:history?clear=all&confirm=1"));
    // The page goes on by itself to its address without the deletion ("done="): the end.
    ASSERT_TRUE(waitFor([&] {
        return loaded(opened) && opened->url().toString().contains("done=") &&
               js("document.body.innerText").toString().contains("已删除");
    })) << opened->url().toString().toStdString()
        << js("document.body.innerText").toString().toStdString();
    openInOwnTab(login); // kept out from now on
    bool written = false;
    window->historyService()->whenWritten([&] { written = true; });
    ASSERT_TRUE(waitFor([&] { return written; }));
    QList<history::Visit> left{{}};
    window->historyService()->visits("", 0, 10, [&](const QList<history::Visit> &visits) {
        left = visits;
        written = false;
    });
    ASSERT_TRUE(waitFor([&] { return !written; }));
    EXPECT_TRUE(left.isEmpty()) << left.value(0).address.toStdString();
    ASSERT_TRUE(
        waitFor([&] { return readPagesFound(programDir.path(), "中华鲟 OR page").isEmpty(); }));
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, "hang");
    QTest::keyClick(edit, Qt::Key_Backspace); // the list is asked again, for "han"
    edit->clear();
    QApplication::sendEvent(edit, &committed);
    ASSERT_TRUE(waitFor([&] {
        return completionTexts(*window) == QStringList{"在已保存的网页中搜索 航运"};
    })) << completionTexts(*window).join('\n').toStdString();
}

// "记录历史" off: pages load and nothing of them is recorded; on again, they are.
TEST_F(WindowEndToEnd, NothingIsRecordedWhileRecordingIsOff) {
    openWindow();
    window->startHistory();
    const auto toggle = [&] {
        bool done = false;
        ASSERT_TRUE(window->commands().enqueueMenuKey("recordhistory", [&done] { done = true; }));
        ASSERT_TRUE(waitFor([&] { return done; }));
    };
    const auto visited = [&] {
        bool written = false;
        window->historyService()->whenWritten([&] { written = true; });
        EXPECT_TRUE(waitFor([&] { return written; }));
        QStringList addresses{"(no answer)"};
        window->historyService()->visits("", 0, 10, [&](const QList<history::Visit> &visits) {
            addresses.clear();
            for (const history::Visit &visit : visits)
                addresses.append(visit.address);
        });
        EXPECT_TRUE(waitFor([&] { return addresses.value(0) != "(no answer)"; }));
        return addresses;
    };
    const auto open = [&](const QUrl &url) {
        window->openChosenAddress(url.toString());
        BrowserView *view = window->tabs().currentView();
        ASSERT_TRUE(waitFor([&] { return loaded(view) && view->url() == url; }));
    };
    toggle();
    EXPECT_EQ(window->panelText("s1"), "记录历史：关");
    open(server.url("/p1.htm"));
    EXPECT_EQ(visited(), QStringList{});
    toggle();
    open(server.url("/p2.htm"));
    EXPECT_EQ(visited(), QStringList{server.url("/p2.htm").toString()});
}
