// Menu entries with the real engine: a group saved and opened again, and the files a page
// links to downloaded into the download folder.
#include "browser/webengine/webengineviewfactory.h"
#include "shell/commands.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/waitfor.h"
#include "windowfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using browser::BrowserView;
using testing_support::waitFor;

class MenusEndToEnd : public testing_support::WindowFixture {
protected:
    // The default save folder is the test's own.
    void prepareProgramFolder() override {
        QFile ini(QDir(programDir.path()).filePath("savepath.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(saveDir.path().toUtf8() + "\r\n");
    }
    void SetUp() override {
        WindowFixture::SetUp();
        window->setDownloadFolder(saveDir.path());
        for (const char *path : {"/one.htm", "/two.htm"})
            server.addPage(path, QByteArray("<html><head><title>") + path +
                                     "</title></head><body>page</body></html>");
        server.addPage("/files.htm", "<html><head><title>files</title></head><body>"
                                     "<a href='a.zip'>第一个</a> <a href='/dl/b.zip'>第二个</a> "
                                     "<a href='two.htm'>网页</a></body></html>");
        server.addPage("/a.zip", QByteArray("PK\x03\x04 first archive"), "application/zip");
        server.addPage("/dl/b.zip", QByteArray(2048, 'b'), "application/zip");
    }
    BrowserView *open(const QUrl &url) {
        BrowserView *view = tabs().openInNewTab(url, true, true);
        EXPECT_TRUE(waitFor([&] { return loaded(view) && view->url() == url; }));
        return view;
    }
    QStringList tabAddresses(int from, int to) {
        QStringList urls;
        for (int position = from; position <= to; ++position)
            urls.append(tabs().viewAtPosition(position)->url().toString());
        return urls;
    }
    QByteArray saved(const QString &name) {
        QFile file(QDir(saveDir.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir saveDir;
};

TEST_F(MenusEndToEnd, SavedGroupOpensTheSameTabsAgain) {
    open(server.url("/one.htm"));
    open(server.url("/two.htm"));
    const int count = tabs().tabCount();
    const QStringList before = tabAddresses(1, count);
    dialogs.inputs = {QString("两页")};
    testing_support::chooseEntry(window->commands(), "save_group");
    ASSERT_TRUE(QFile::exists(QDir(programDir.path()).filePath("group/两页.txt")));

    testing_support::chooseEntry(window->commands(), "opengroup_两页");
    ASSERT_EQ(tabs().tabCount(), 2 * count);
    EXPECT_TRUE(waitFor([&] {
        for (int position = count + 1; position <= 2 * count; ++position) {
            if (!loaded(tabs().viewAtPosition(position)))
                return false;
        }
        return true;
    }));
    EXPECT_EQ(tabAddresses(count + 1, 2 * count), before);
}

TEST_F(MenusEndToEnd, FileLinksOfAPageAreDownloadedIntoTheDownloadFolder) {
    BrowserView *page = open(server.url("/files.htm"));
    tabs().selectTab(tabs().tabCount());
    ASSERT_EQ(tabs().currentView(), page);
    testing_support::chooseEntry(window->commands(), "openallzip");
    EXPECT_EQ(window->panelText("s1"), "2");
    EXPECT_TRUE(waitFor([&] {
        return saved("a.zip") == QByteArray("PK\x03\x04 first archive") &&
               saved("b.zip") == QByteArray(2048, 'b');
    }));
    // Each ended download gives its place back at once.
    EXPECT_TRUE(waitFor([&] { return window->commands().downloadQueue().running() == 0; }, 5000));
    EXPECT_EQ(server.requestsFor("/two.htm"), 0); // the page link is not fetched
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace
