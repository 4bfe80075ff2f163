// What a hostile or broken page may do to the browser with the real engine: open windows from
// a background tab, lose its renderer, loop for ever, read the user's files.
#include "browser/webengine/scriptrunner.h"
#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/waitfor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using browser::BrowserView;
using testing_support::pause;
using testing_support::waitFor;

void copyProgramFolder(const QString &to) {
    const QString from = QStringLiteral(LUMARO_PROGRAM_FOLDER);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = QDir(from).relativeFilePath(it.next());
        if (relative.startsWith("CMakeFiles") || relative.startsWith("lumaro") ||
            relative.startsWith("profile"))
            continue;
        if (it.fileInfo().isDir())
            QDir().mkpath(QDir(to).filePath(relative));
        else
            QFile::copy(it.filePath(), QDir(to).filePath(relative));
    }
}

class Robustness : public ::testing::Test {
protected:
    void SetUp() override {
        copyProgramFolder(programDir.path());
        server.addPage("/opener.htm", "<html><head><title>opener</title></head><body>opener"
                                      "<script>onload=()=>setTimeout(()=>"
                                      "window.open('about:blank'),300)</script></body></html>");
        for (const char *path : {"/a.htm", "/b.htm", "/c.htm"})
            server.addPage(path, QByteArray("<html><head><title>") + path +
                                     "</title></head><body>page</body></html>");
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs);
        window->resize(1000, 700);
        window->show();
        ASSERT_TRUE(waitFor([&] { return loaded(tabs().viewAt(0)); }));
    }
    void TearDown() override { window.reset(); }

    shell::TabManager &tabs() { return window->tabs(); }
    static bool loaded(BrowserView *view) {
        return view && !view->isBusy() && !view->url().isEmpty();
    }
    static QWebEnginePage *page(BrowserView *view) {
        return static_cast<browser::WebEngineView *>(view)->page();
    }
    static QVariant js(BrowserView *view, const QString &script) {
        return browser::ScriptRunner::run(page(view), script);
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

    QTemporaryDir programDir;
    testing_support::LocalHttpServer server;
    testing_support::FakeDialogs dialogs;
    browser::WebEngineViewFactory factory{QString()};
    std::unique_ptr<shell::MainWindow> window;
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

} // namespace
