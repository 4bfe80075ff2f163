#include "browser/localpages.h"
#include "common/urlrules.h"

#include <gtest/gtest.h>

namespace {

using browser::PageRequest;
using Kind = PageRequest::Kind;

// A blob: document a saved page made is as local as the page; a web page's is not.
TEST(LocalPages, DocumentsFromTheDiskAndTheBlobsTheyMakeAreLocal) {
    for (const char *local : {"file:///tmp/a.htm", "blob:null/4e5f", "blob:file:///4e5f"})
        EXPECT_TRUE(browser::isLocalDocument(QUrl(local))) << local;
    for (const char *web : {"http://127.0.0.1/a.htm", "blob:http://127.0.0.1/4e5f",
                            "about:blank", "data:text/html,x", "null", ""})
        EXPECT_FALSE(browser::isLocalDocument(QUrl(web))) << web;
}

TEST(LocalPages, ALocalPageReachesOutOnlyWhereTheUserOrTheProgramSendsIt) {
    const struct {
        bool fromLocalPage;
        const char *target;
        Kind kind;
        bool byUser;
        bool allowed;
    } cases[] = {
        {false, "ws://127.0.0.1:1/s", Kind::Subresource, false, true}, // a web page's own
        {false, "http://127.0.0.1:1/", Kind::NewWindow, false, true},
        {true, "ws://127.0.0.1:1/s", Kind::Subresource, false, false},
        {true, "wss://127.0.0.1:1/s", Kind::Subresource, true, false},
        {true, "http://127.0.0.1:1/f", Kind::Frame, true, false},
        {true, "http://127.0.0.1:1/", Kind::MainFrame, false, false},
        {true, "https://127.0.0.1:1/", Kind::MainFrame, true, true},
        {true, "http://127.0.0.1:1/", Kind::NewWindow, false, false},
        {true, "http://127.0.0.1:1/", Kind::NewWindow, true, true},
        {true, "mailto:a@b.c", Kind::MainFrame, false, false},
        {true, "ftp://127.0.0.1/", Kind::Subresource, false, false},
        {true, "file:///tmp/a.htm", Kind::Frame, false, true}, // the engine's own rules
        {true, "data:text/html,x", Kind::Frame, false, true},
        {true, "blob:null/4e5f", Kind::Subresource, false, true},
        {true, "about:blank", Kind::NewWindow, false, true},
        // Back from a saved file to the results page; the program's pages serve only itself.
        {true, "lumaro:searchsaved?q=x", Kind::MainFrame, false, true},
        {true, "", Kind::MainFrame, false, true},
    };
    for (const auto &c : cases) {
        const PageRequest request{c.fromLocalPage, QUrl(c.target), c.kind, c.byUser};
        EXPECT_EQ(browser::mayGoOn(request), c.allowed)
            << c.target << " kind " << int(c.kind) << " local " << c.fromLocalPage << " user "
            << c.byUser;
    }
}

TEST(LocalPages, StoredListsOpenOnlyWebPagesFilesAndTheProgramsOwnPages) {
    const struct {
        const char *address;
        bool opens;
    } cases[] = {{"http://a.example/x?q=1", true},
                 {"https://a.example/", true},
                 {"file:///data/a.htm", true},
                 {"lumaro:searchsaved?q=%E5%A4%A9", true},
                 {"lumarox:searchsaved", false},
                 {"", true},
                 {"javascript:alert(1)", false},
                 {"JavaScript:alert(1)", false},
                 {"chrome://crash", false},
                 {"view-source:http://a.example/", false},
                 {"data:text/html,<script>x</script>", false},
                 {"about:blank", true},
                 {"about:settings", false},
                 {"ftp://a.example/", false}};
    QList<QUrl> urls;
    for (const auto &c : cases) {
        EXPECT_EQ(browser::isOpenableAddress(QUrl(c.address)), c.opens) << c.address;
        // The rule folders' copy of the rule (bookmark imports) says the same.
        EXPECT_EQ(common::isOpenableAddress(QUrl(c.address)), c.opens) << c.address;
        urls.append(QUrl(c.address));
    }
    QStringList refused;
    EXPECT_EQ(browser::openableAddresses(urls, &refused).size(), 6);
    EXPECT_EQ(refused.size(), 8);
    EXPECT_TRUE(browser::refusedAddressesText(refused).startsWith("没有打开 8 个不能打开的地址"));
}

} // namespace
