// The engine's own reading of links (a.href in the DOM) against the scanner, the link rewriter
// and lumaro-cli, on pages served from 127.0.0.1 in UTF-8 and in GBK.
#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "links/linkscanner.h"
#include "saving/linkrewriter.h"
#include "scriptwait.h"
#include "support/localhttpserver.h"
#include "support/pagewait.h"
#include "support/waitfor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Link values as pages write them: each case the harvesting commands once got wrong, then
// the everyday kinds, then 50 ordinary links.
QStringList linkValues() {
    QStringList values = {
        "t.html?page=2&amp;sort=new",
        "s.html?q=中文",
        "sub\\b.html",
        "  a\n b.html\t ",
        "b09.html",
        "files/f1.zip",
        "mailbox.html",
        "httpdocs/a.html",
        "ftpguide.html",
        "../up.htm",
        "/root.htm",
        "?q=1&amp;r=中",
        "#part2",
        "",
        "%2e%2e/x.htm",
        "&#x61;&#98;.htm",
        "a b&quot;c.htm",
        "x.htm#a b",
        "中文/页.html?q=中文#中",
        "http://[0:0::1]:8080/x",
        "http://例子.中国/路径?q=中文",
        "http://Bücher.example/",
        "HTTP://Example.COM:80/a/../b/./c",
        "//cdn.example/x.js",
        "JavaScript:void(0)",
        "mailto:a@b.example?subject=中文",
        "http:rel.htm",
        "ftp://f.example/pub/",
        "file:///tmp/f.htm",
        "x.htm?a='1' b&lt;c",
        "a|b^c{d}`e.htm",
        "&nbsp;x.htm",
        "http://user:p w@h.example:0081/",
        "data:text/plain,x",
    };
    for (int i = 1; i <= 50; ++i) {
        values.append(i % 2 ? QString("news/2009/item%1.htm").arg(i)
                            : QString("list.php?id=%1&amp;page=%2").arg(i).arg(i % 7));
    }
    return values;
}

QString testPage(const QString &charset, bool withBase) {
    QString page = QString("<html><head><meta charset=\"%1\"><title>links</title>").arg(charset);
    if (withBase)
        page += "<base href=\"/abs/\">";
    page += "</head><body>";
    for (const QString &value : linkValues())
        page += QString("<a href=\"%1\">link</a>\n").arg(value);
    return page + "</body></html>";
}

class LinksEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        utf8Page = testPage("utf-8", false).toUtf8();
        QStringEncoder gbk("GBK");
        gbkPage = gbk(testPage("gbk", true));
        server.addPage("/dir/utf8.htm", utf8Page);
        server.addPage("/dir/gbk.htm", gbkPage, "text/html; charset=gbk");
        view.reset(factory.createView(nullptr, true));
        view->widget()->resize(800, 600);
        view->widget()->show();
    }
    void TearDown() override { view.reset(); }

    void load(const QString &path) {
        view->navigate(server.url(path));
        ASSERT_TRUE(testing_support::waitFor(
            [&] { return !view->isBusy() && view->url() == server.url(path); }));
    }
    // What the engine itself reads from each href attribute.
    QStringList engineAddresses() {
        return testing_support::scriptNow(
                   static_cast<browser::WebEngineView *>(view.get())->page(),
                   "Array.from(document.querySelectorAll('[href]'), e => e.href)")
            .toStringList();
    }
    static QStringList scanned(const QString &html, const QString &base, const QString &charset) {
        QStringList found;
        for (const links::HarvestedLink &link :
             links::scanLinks(html, base, links::LinkCommand::SaveToHref, charset))
            found.append(link.url);
        return found;
    }
    void compareWithTheEngine(const QString &path, const QByteArray &source) {
        load(path);
        const QStringList engine = engineAddresses();
        ASSERT_EQ(engine.size(), linkValues().size() + (path.contains("gbk") ? 1 : 0));
        const QString html =
            "<HTML>" + testing_support::htmlNow(view.get()).value_or(QString()) + "</HTML>";
        const QString pageUrl = view->url().toString(QUrl::FullyEncoded);
        const QStringList found = scanned(html, pageUrl, testing_support::charsetNow(view.get()));
        ASSERT_EQ(found.size(), engine.size());
        for (qsizetype i = 0; i < engine.size(); ++i)
            EXPECT_EQ(found[i].toStdString(), engine[i].toStdString()) << "link " << i;

        // Saved with absolute links, each link leads where the engine's does: read back
        // against an unrelated address, only the fragment-only link (kept as it is) may differ.
        const QString rewritten =
            saving::rewriteLinks(html, pageUrl, testing_support::charsetNow(view.get()));
        const QStringList reread = scanned(rewritten, "http://elsewhere.example/", "UTF-8");
        ASSERT_EQ(reread.size(), engine.size());
        for (qsizetype i = 0; i < engine.size(); ++i) {
            if (!engine[i].contains("#part2")) {
                EXPECT_EQ(reread[i].toStdString(), engine[i].toStdString()) << "saved " << i;
            }
        }

        // lumaro-cli reads the page's own source file, with the charset it declares.
        QTemporaryDir dir;
        const QString file = QDir(dir.path()).filePath("page.htm");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(source);
        out.close();
        QProcess cli;
        cli.start(LUMARO_CLI,
                  {"links", "--command", "savehref", "--base", server.url(path).toString(), file});
        ASSERT_TRUE(cli.waitForFinished(10000));
        const QStringList lines =
            QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), engine.size());
        for (qsizetype i = 0; i < engine.size(); ++i)
            EXPECT_EQ(lines[i].toStdString(), engine[i].toStdString()) << "lumaro-cli " << i;
    }

    testing_support::LocalHttpServer server;
    browser::WebEngineViewFactory factory{QString()};
    std::unique_ptr<browser::BrowserView> view;
    QByteArray utf8Page;
    QByteArray gbkPage;
};

TEST_F(LinksEndToEnd, ScannerRewriterAndCliGiveTheEngineAddressesOnAUtf8Page) {
    compareWithTheEngine("/dir/utf8.htm", utf8Page);
    EXPECT_EQ(testing_support::charsetNow(view.get()), "UTF-8");
}

TEST_F(LinksEndToEnd, ScannerRewriterAndCliGiveTheEngineAddressesOnAGbkPageWithABase) {
    compareWithTheEngine("/dir/gbk.htm", gbkPage);
    EXPECT_EQ(testing_support::charsetNow(view.get()), "GBK");
}

} // namespace
