// Tabs that share renderers (past the engine's own ceiling, or under a renderer limit; this
// test runs with --renderer-process-limit=2): a page the program lets go is no crash. Walking
// through the tabs afterwards shows every page again, with no crash notice.
#include "windowfixture.h"

#include "shell/tabmemory.h"

#include <QLabel>
#include <QWebEnginePage>

#include <csignal>

namespace {

using browser::BrowserView;
using testing_support::waitFor;

class SharedRenderers : public testing_support::WindowFixture {};

TEST_F(SharedRenderers, DiscardedTabsComeBackWholeWhenShown) {
    constexpr int kPages = 8;
    QList<BrowserView *> views;
    for (int i = 0; i < kPages; ++i) {
        server.addPage(QString("/s%1.htm").arg(i),
                       QString("<html><head><title>第%1页</title></head><body><p id=t>第%1页的文字"
                               "</p></body></html>")
                           .arg(i)
                           .toUtf8());
        views.append(tabs().openHarvested(server.url(QString("/s%1.htm").arg(i))));
    }
    ASSERT_TRUE(waitFor([&] {
        return std::all_of(views.begin(), views.end(), [](BrowserView *v) { return loaded(v); });
    }));
    browser::RestRules rules;
    rules.budgetBytes = 1; // every background tab goes at once
    rules.discardAfterLoaded = 0;
    rules.discardAfterShown = 0;
    window->tabMemory().setRules(rules);
    window->tabMemory().check();
    ASSERT_TRUE(waitFor([&] {
        return std::all_of(views.begin(), views.end(), [](BrowserView *v) {
            return v->lifeState() == browser::LifeState::Discarded;
        });
    }));
    testing_support::pause(1500);                       // the shared renderers end meanwhile
    window->tabMemory().setRules(browser::RestRules{}); // nothing more goes
    const auto notice = [](BrowserView *view) {
        QLabel *label = view->widget()->findChild<QLabel *>();
        return label && !label->isHidden();
    };
    int notices = 0;
    int whole = 0;
    for (int i = 0; i < kPages; ++i) {
        tabs().switchByKeyboard(i + 2);
        const bool back = waitFor([&] {
            return js(views[i], "document.getElementById('t') && "
                                "document.getElementById('t').textContent")
                .toString()
                .contains(QString::fromUtf8("第%1页的文字").arg(i));
        });
        whole += back;
        notices += notice(views[i]);
    }
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(whole, kPages);
}

// A renderer killed under tabs that share it takes the text typed into them: the notice of a
// tab the user typed into says so, the others' do not.
TEST_F(SharedRenderers, AKilledRendererSaysWhereTypedTextWasLost) {
    QList<BrowserView *> views;
    for (int i = 0; i < 4; ++i) {
        server.addPage(QString("/f%1.htm").arg(i),
                       "<html><head><title>form</title></head><body><input id=f autofocus>"
                       "</body></html>");
        views.append(tabs().openHarvested(server.url(QString("/f%1.htm").arg(i))));
    }
    ASSERT_TRUE(waitFor([&] {
        return std::all_of(views.begin(), views.end(), [](BrowserView *v) { return loaded(v); });
    }));
    const auto pid = [](BrowserView *view) {
        return static_cast<browser::WebEngineView *>(view)->page()->renderProcessPid();
    };
    // The tabs of the renderer that holds the most of them (two or more under the limit; the
    // engine may still start one a tab when it runs alone).
    QList<BrowserView *> sharing;
    for (BrowserView *first : views) {
        QList<BrowserView *> same;
        for (BrowserView *view : views) {
            if (pid(view) == pid(first))
                same.append(view);
        }
        if (same.size() > sharing.size())
            sharing = same;
    }
    ASSERT_FALSE(sharing.isEmpty());
    BrowserView *typed = sharing.first();
    // Filled in as the menu entries paste into the focused field.
    js(typed, "document.getElementById('f').focus()");
    ASSERT_EQ(js(typed, "document.activeElement.id"), "f");
    bool pasted = false;
    typed->appendToFocusedElement("abc", [&pasted](bool ok) { pasted = ok; });
    ASSERT_TRUE(waitFor([&] { return pasted; }));
    ASSERT_EQ(js(typed, "document.getElementById('f').value"), "abc");
    ASSERT_TRUE(typed->holdsUserInput());
    ::kill(pid(typed), SIGKILL);
    const auto noticeOf = [](BrowserView *view) {
        QLabel *label = view->widget()->findChild<QLabel *>();
        return label && !label->isHidden() ? label->text() : QString();
    };
    for (BrowserView *view : sharing) {
        ASSERT_TRUE(waitFor([&] { return !noticeOf(view).isEmpty(); }));
        EXPECT_EQ(noticeOf(view).contains(QString::fromUtf8("填写或改动的内容已经丢失")),
                  view == typed)
            << noticeOf(view).toStdString();
    }
}

} // namespace
