#pragma once

#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "scriptwait.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/commandwait.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/pagewait.h"
#include "support/programfoldercopy.h"
#include "support/waitfor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace testing_support {

// The main window with the real engine over a copy of the staged program folder, the
// favourites page loaded in its first tab, and a page server on 127.0.0.1.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        copyStagedProgramFolder(programDir.path());
        prepareProgramFolder();
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs);
        window->resize(1000, 700);
        window->show();
        ASSERT_TRUE(waitFor([&] { return loaded(tabs().viewAt(0)); }));
    }
    void TearDown() override { window.reset(); }
    // Runs after the program folder is copied, before the window reads it.
    virtual void prepareProgramFolder() {}

    shell::TabManager &tabs() { return window->tabs(); }

public:
    static bool loaded(browser::BrowserView *view) {
        return view && !view->isBusy() && !view->url().isEmpty();
    }
    static QVariant js(browser::BrowserView *view, const QString &script) {
        return testing_support::scriptNow(static_cast<browser::WebEngineView *>(view)->page(),
                                          script);
    }
    // The centre of an element of the page (found by a script expression), in the view's
    // coordinates; a null point when there is no such element.
    static QPoint centreOfElement(browser::BrowserView *view, const QString &element) {
        const QVariantList box =
            js(view, QString("(function(){const r=(%1).getBoundingClientRect();"
                             "return [r.x+r.width/2,r.y+r.height/2];})()")
                         .arg(element))
                .toList();
        return box.size() == 2 ? QPoint(box[0].toInt(), box[1].toInt()) : QPoint();
    }
    static QPoint centreOf(browser::BrowserView *view, const QString &id) {
        return centreOfElement(view, QString("document.getElementById('%1')").arg(id));
    }
    // Clicks the element (a script expression) until the page has seen a click: a page drops
    // input until it has painted once, as it does right after it was shown or reloaded. The
    // listener and the widget that takes the input are looked up again on every try, since a
    // reload brings a new document and may bring a new widget.
    // `landed`, when given, tells from the program's side that a click arrived: the page may
    // be loaded anew by it before the count of clicks seen can be read.
    static bool clickElement(browser::BrowserView *view, const QString &element,
                             const std::function<bool()> &landed = {}) {
        auto *engine = static_cast<browser::WebEngineView *>(view);
        const QString listen =
            "if (window.clicksSeen === undefined)"
            "  window.addEventListener('click', () => ++window.clicksSeen, true);"
            "window.clicksSeen = %1; 0";
        if (!waitFor([&] { return loaded(view) && !centreOfElement(view, element).isNull(); }))
            return false;
        js(view, listen.arg("0"));
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (!waitFor([&] { return loaded(view) && !centreOfElement(view, element).isNull(); }))
                return false;
            // The probe goes with the document: a page the click made the program load anew
            // (an entry deleted) no longer has it, nor the count of clicks seen.
            js(view, listen.arg("window.clicksSeen || 0") + ";window.clickProbe = 1; 0");
            QTest::mouseClick(engine->engineView()->focusProxy(), Qt::LeftButton, {},
                              centreOfElement(view, element));
            const auto replaced = [&] {
                return loaded(view) && js(view, "window.clickProbe === 1") == false;
            };
            if (waitFor(
                    [&] {
                        return (landed && landed()) || js(view, "window.clicksSeen").toInt() > 0 ||
                               replaced();
                    },
                    3000)) {
                if (landed && landed())
                    return true;
                // Seen; or the page was loaded anew and the element is gone: the click took it.
                // (Loaded anew with the element still there is a reload of its own: click again.)
                if (js(view, "window.clicksSeen").toInt() > 0 ||
                    centreOfElement(view, element).isNull())
                    return true;
            }
        }
        return false;
    }

protected:
    // Opens an address in a new tab, shows it and waits until it has loaded.
    browser::BrowserView *openAndShow(const QUrl &url) {
        window->openAddress(url.toString());
        browser::BrowserView *view = tabs().viewAt(tabs().viewCount() - 1);
        tabs().selectTab(tabs().tabCount());
        EXPECT_TRUE(waitFor([&] { return loaded(view) && view->url() == url; }));
        return view;
    }

    QTemporaryDir programDir;
    LocalHttpServer server;
    FakeDialogs dialogs;
    browser::WebEngineViewFactory factory{QString()};
    std::unique_ptr<shell::MainWindow> window;
};

} // namespace testing_support
