// Background tabs let go under the memory budget, with the real engine: which tabs go, and
// how a page comes back when it is shown or read.
#include "windowfixture.h"

#include "shell/tabmemory.h"

#include <QLabel>
#include <QTest>

namespace {

using browser::BrowserView;
using browser::LifeState;
using testing_support::waitFor;

class TabMemory : public testing_support::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        for (int i = 0; i < 4; ++i)
            server.addPage(QString("/p%1.htm").arg(i),
                           QString("<html><head><title>第%1页</title></head><body>"
                                   "<p>第%1页的文字</p><input id='f'></body></html>")
                               .arg(i)
                               .toUtf8());
    }
    // Opens the pages behind the shown tab, as a batch of links does, and waits for them.
    QList<BrowserView *> openPagesBehind() {
        QList<BrowserView *> views;
        for (int i = 0; i < 4; ++i)
            views.append(tabs().openHarvested(server.url(QString("/p%1.htm").arg(i))));
        EXPECT_TRUE(waitFor([&] {
            return std::all_of(views.begin(), views.end(),
                               [](BrowserView *v) { return loaded(v); });
        }));
        return views;
    }
    // Every tab that may go goes at once: any memory is over the budget, no wait.
    void restEverything() {
        browser::RestRules rules;
        rules.budgetBytes = 1;
        rules.discardAfterLoaded = 0;
        rules.discardAfterShown = 0;
        rules.freezeAfter = 0.001;
        window->tabMemory().setRules(rules);
        window->tabMemory().check();
    }
    static QString text(BrowserView *view) {
        return testing_support::htmlNow(view).value_or(QString());
    }
};

TEST_F(TabMemory, IdleTabsAreDiscardedButNotThoseTypedIntoMarkedOrShown) {
    const QList<BrowserView *> views = openPagesBehind();
    ASSERT_EQ(tabs().tabCount(), 5);
    // Clicked into and typed into with real presses, then left for another tab.
    tabs().switchByKeyboard(3);
    QWidget *target = static_cast<browser::WebEngineView *>(views[1])->engineView()->focusProxy();
    ASSERT_TRUE(target);
    ASSERT_TRUE(waitFor([&] { return js(views[1], "document.visibilityState") == "visible"; }));
    const QPoint at = centreOf(views[1], "f");
    ASSERT_FALSE(at.isNull());
    // A page drops input until it has painted once: click until the field has the focus.
    ASSERT_TRUE(waitFor([&] {
        QTest::mouseMove(target, at);
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        return js(views[1], "document.activeElement.id") == "f";
    }));
    QTest::keyClicks(QApplication::focusWidget() ? QApplication::focusWidget() : target, "abc");
    ASSERT_TRUE(
        waitFor([&] { return js(views[1], "document.getElementById('f').value") == "abc"; }));
    tabs().markTab(4);          // views[2]
    tabs().switchByKeyboard(5); // views[3] shown

    restEverything();
    ASSERT_TRUE(waitFor([&] { return views[0]->lifeState() == LifeState::Discarded; }));
    EXPECT_EQ(views[1]->lifeState(), LifeState::Frozen) << "typed into: frozen, never discarded";
    EXPECT_EQ(views[2]->lifeState(), LifeState::Frozen) << "marked: frozen, never discarded";
    EXPECT_EQ(views[3]->lifeState(), LifeState::Active) << "shown";
    EXPECT_EQ(tabs().viewAt(0)->lifeState(), LifeState::Frozen) << "favourites page";
    // A discarded page keeps its address and title for the tab strip and the session.
    EXPECT_EQ(views[0]->url(), server.url("/p0.htm"));
    EXPECT_EQ(views[0]->title(), "第0页");

    // A frozen page told to load (the favourites page after its file changed) loads.
    server.addPage("/p2.htm", "<html><head><title>第2页，新</title></head><body>新</body></html>");
    views[2]->reload();
    EXPECT_TRUE(waitFor([&] { return views[2]->title() == "第2页，新"; }));
    EXPECT_EQ(views[2]->lifeState(), LifeState::Active);

    // The typed text survived the freezing, and reading the page woke it.
    EXPECT_TRUE(text(views[1]).contains("第1页的文字"));
    EXPECT_EQ(views[1]->lifeState(), LifeState::Active);
    EXPECT_EQ(js(views[1], "document.getElementById('f').value"), "abc");
}

TEST_F(TabMemory, ADiscardedPageIsLoadedAgainWhenReadOrShown) {
    const QList<BrowserView *> views = openPagesBehind();
    restEverything();
    ASSERT_TRUE(waitFor([&] {
        return views[0]->lifeState() == LifeState::Discarded &&
               views[3]->lifeState() == LifeState::Discarded;
    }));

    // Read by a command: loaded again first, and the status bar says so.
    EXPECT_TRUE(text(views[0]).contains("第0页的文字"));
    EXPECT_EQ(views[0]->lifeState(), LifeState::Active);
    EXPECT_TRUE(window->panelText("s2").contains("释放过"))
        << window->panelText("s2").toStdString();

    // Read by two commands and saved at once: all wait for the one reload.
    restEverything();
    ASSERT_TRUE(waitFor([&] { return views[0]->lifeState() == LifeState::Discarded; }));
    // From here no tab is let go: the keeper looks again on its own, and a tab it let go once
    // more would show its cover below, whenever a loaded processor lets it look.
    window->tabMemory().setRules(browser::RestRules());
    ASSERT_EQ(views[3]->lifeState(), LifeState::Discarded);
    auto reads = std::make_shared<QList<browser::PageRead>>();
    for (int i = 0; i < 2; ++i)
        views[0]->readPage([reads](browser::PageRead page) { reads->append(page); });
    const QString saved = programDir.filePath("p0-saved.htm");
    views[0]->savePageAs(saved);
    ASSERT_TRUE(waitFor([&] { return reads->size() == 2; }));
    for (const browser::PageRead &page : *reads)
        EXPECT_TRUE(page.html.contains("第0页的文字")) << int(page.status);
    EXPECT_TRUE(waitFor([&] {
        QFile file(saved);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("第0页的文字");
    }));

    // Shown: the engine loads it again by itself. At once the tab shows the page's title and
    // that it loads again, and then the page.
    tabs().switchByKeyboard(5);
    const auto *cover = views[3]->widget()->findChild<QLabel *>("reloadCover");
    ASSERT_TRUE(cover);
    EXPECT_TRUE(cover->isVisible());
    EXPECT_TRUE(cover->text().startsWith("第3页\n")) << cover->text().toStdString();
    EXPECT_EQ(cover->size(), views[3]->widget()->size());
    EXPECT_TRUE(waitFor([&] { return views[3]->lifeState() == LifeState::Active; }));
    EXPECT_TRUE(waitFor([&] { return text(views[3]).contains("第3页的文字"); }));
    EXPECT_TRUE(waitFor([&] { return !cover->isVisible(); }));
    // A tab loaded again since it was let go (read above) shows its page at once.
    tabs().switchByKeyboard(2);
    EXPECT_FALSE(views[0]->widget()->findChild<QLabel *>("reloadCover")->isVisible());
}

} // namespace
