// Deleting selected text from a page shown by the real engine.
#include "e2e/windowfixture.h"
#include "shell/commands.h"

namespace {

using testing_support::waitFor;

class EditingEndToEnd : public testing_support::WindowFixture {};

// "body" stands in the page as a tag name, a class, an attribute value, inside a script and
// a style, and as the text the user selects.
const char kPage[] =
    "<html><head><title>body</title><style>.body { color: rgb(255, 0, 0); }</style>"
    "<script>var body = \"body\"; window.seen = body;</script></head>"
    "<body class=\"body\"><p id=\"p\">body text, body again</p>"
    "<div id=\"d\" title=\"body\">keep</div><!-- body --></body></html>";

TEST_F(EditingEndToEnd, DeletingAWordRemovesItFromTheTextOnlyAndThePageSavesWhole) {
    QTemporaryDir saveDir;
    window->setSavePath(saveDir.path());
    server.addPage("/body.htm", kPage);
    browser::BrowserView *page = openAndShow(server.url("/body.htm"));
    js(page, "(function(){const t=document.getElementById('p').firstChild;"
             "const r=document.createRange();r.setStart(t,0);r.setEnd(t,4);"
             "getSelection().removeAllRanges();getSelection().addRange(r);})()");
    ASSERT_TRUE(waitFor([&] { return page->selectedText() == "body"; }));

    testing_support::chooseEntry(window->commands(), QStringLiteral("deleteselectfromc"));

    EXPECT_EQ(js(page, "document.getElementById('p').textContent").toString(), " text,  again");
    EXPECT_EQ(js(page, "document.body.className").toString(), "body");
    EXPECT_EQ(js(page, "document.getElementById('d').title").toString(), "body");
    EXPECT_EQ(js(page, "getComputedStyle(document.body).color").toString(), "rgb(255, 0, 0)");
    EXPECT_TRUE(js(page, "document.scripts[0].text").toString().contains("var body = \"body\""));
    EXPECT_FALSE(js(page, "document.body.innerText").toString().contains("<"));
    EXPECT_EQ(page->title(), "body");

    // Saved with the title as its name: the markup is whole.
    dialogs.answers = {commands::Dialogs::Answer::Ok};
    js(page, "getSelection().removeAllRanges()");
    testing_support::chooseEntry(window->commands(), QStringLiteral("onlysave"));
    QFile saved(QDir(saveDir.path()).filePath("body.htm"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(saved.readAll());
    for (const char *whole : {"<body class=\"body\">", "var body = \"body\"", ".body { color",
                              "title=\"body\"", "<!-- body -->", "<p id=\"p\"> text,  again</p>"})
        EXPECT_TRUE(html.contains(whole)) << whole << "\n" << html.toStdString();
}

} // namespace
