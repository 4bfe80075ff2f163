#include "fulltext/saveddocument.h"
#include "saving/cssreferences.h"
#include "saving/resourcegathering.h"
#include "saving/wholepage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

using saving::FetchedResource;

const QString kNonce = "0123456789abcdef";
QString token(char kind, int n) {
    return QStringLiteral("lumaro%1%2%3x").arg(kNonce).arg(QChar(kind)).arg(n);
}

FetchedResource file(const QByteArray &data, const QByteArray &type = {}) {
    return {true, data, type, false, {}};
}

TEST(CssReferencesTest, FindsEveryUrlAndImportButNothingInCommentsOrStrings) {
    const QString css = R"css(@import "a.css" screen; @IMPORT url( 'b.css' );
/* url(no.png) */ .x{background:URL(c.png) no-repeat} .y{content:"url(no2.png)"}
.z{background-image:url("d\"q.png"), url(e\2e png)} .w{filter:url(#f)} .v{x:myurl(no3)})css";
    QStringList found;
    for (const saving::CssReference &r : saving::cssReferences(css))
        found.append((r.import ? "@" : "") + r.address);
    EXPECT_EQ(found, QStringList({"@a.css", "@b.css", "c.png", "d\"q.png", "e.png", "#f"}));

    const QString replaced = saving::replaceCssReferences(css, [](const saving::CssReference &r) {
        return r.address == "#f" ? QString() : QStringLiteral("data:X");
    });
    EXPECT_TRUE(
        replaced.startsWith(R"css(@import url("data:X") screen; @IMPORT url("data:X");)css"));
    EXPECT_TRUE(replaced.contains(R"css(background:url("data:X") no-repeat)css"));
    EXPECT_TRUE(replaced.contains("/* url(no.png) */") && replaced.contains("url(#f)"));
    // An unclosed url( at the end, and an unclosed string, end the scan without a reference.
    EXPECT_TRUE(saving::cssReferences(u"a{b:url(x").isEmpty());
    EXPECT_TRUE(saving::cssReferences(u"a{b:'url(x)").isEmpty());
}

TEST(WholePageTest, ResourcesStylesSheetsAndFramesArePutInAndNothingIsLeftToFetch) {
    saving::WholePageCapture capture;
    capture.url = QUrl("http://h.cn/news/a.htm?x=1&y=2");
    capture.nonce = kNonce;
    capture.charset = "GBK";
    capture.resources = {QUrl("http://h.cn/p.png"), QUrl("http://h.cn/gone.png"),
                         QUrl("http://h.cn/big.mp4")};
    capture.sheets = {QUrl("http://h.cn/css/site.css")};
    capture.styles = {
        {"b{background:url(../p.png)}</style><script>", QUrl("http://h.cn/x/"), false},
        {"color:red;background:url(\"p.png\")", QUrl("http://h.cn/"), true}};
    capture.frames = {"<html><head>" + token('h', 0) + "</head><body><img src=\"" + token('r', 0) +
                      "\" title=\"a&amp;b\"></body></html>"};
    capture.framesLeft = 1;
    capture.html = "<!DOCTYPE html>\n<html><head>" + token('h', 0) + "<style>" + token('c', 0) +
                   "</style><style>" + token('s', 0) + "</style></head><body style=\"" +
                   token('c', 1) + "\">正文<img src=\"" + token('r', 0) + "\"><img src=\"" +
                   token('r', 1) + "\"><video poster=\"" + token('r', 2) +
                   "\"></video><iframe srcdoc=\"" + token('f', 0) + "\"></iframe><frame src=\"" +
                   token('d', 0) + "\"></body></html>";
    saving::ResourceTable table;
    const QByteArray png = QByteArray("\x89PNG\r\n", 6) + "rest";
    table.insert("http://h.cn/p.png", file(png, "application/octet-stream"));
    table.insert("http://h.cn/gone.png", {false, {}, {}, false, "HTTP 404"});
    table.insert("http://h.cn/big.mp4", {false, {}, {}, true, {}});
    QStringEncoder gbk("GB18030");
    table.insert("http://h.cn/css/site.css",
                 file(QByteArray(gbk.encode(u"@charset \"gbk\";\n@import 'more.css';\n"
                                            u".t:before{content:'标题'}")),
                      "text/css"));
    table.insert("http://h.cn/css/more.css", file("i{background:url(/p.png)}", "text/css"));

    const QDateTime when(QDate(2026, 12, 9), QTime(10, 20, 30), QTimeZone(8 * 3600));
    const saving::WholePageFile saved = saving::writeWholePage(capture, table, when);
    const QString pngData = "data:image/png;base64," + QString::fromLatin1(png.toBase64());
    const QStringList lines = saved.html.split('\n');
    EXPECT_EQ(lines[0], "<!-- saved from url=(0030)http://h.cn/news/a.htm?x=1&y=2 -->");
    EXPECT_EQ(lines[1], "<!-- saved date: 2026-12-09T10:20:30+08:00 -->");
    EXPECT_EQ(lines[2], "<!DOCTYPE html>");
    EXPECT_FALSE(saved.html.contains("lumaro" + kNonce));
    EXPECT_TRUE(saved.html.contains("<head><meta charset=\"utf-8\"><meta "
                                    "http-equiv=\"Content-Security-Policy\" content=\"default-src "
                                    "'none'; img-src data:;"));
    EXPECT_TRUE(saved.html.contains("b{background:url(\"" + pngData + "\")}<\\/style><script>"));
    EXPECT_TRUE(saved.html.contains("<body style=\"color:red;background:url(&quot;" + pngData));
    // The sheet: read as GBK, its @charset gone, its import a sheet of its own with the
    // import's address resolved from the sheet's.
    const QString imported =
        "data:text/css;charset=utf-8;base64," +
        QString::fromLatin1(
            QByteArray("i{background:url(\"" + pngData.toLatin1() + "\")}").toBase64());
    EXPECT_TRUE(saved.html.contains("<style>\n@import url(\"" + imported +
                                    "\");\n.t:before{content:'标题'}</style>"));
    EXPECT_TRUE(
        saved.html.contains("<img src=\"" + pngData + "\"><img src=\"http://h.cn/gone.png\">"));
    EXPECT_TRUE(saved.html.contains("poster=\"http://h.cn/big.mp4\""));
    // The frame twice: as a srcdoc, escaped once more, and as a "data:" document.
    EXPECT_TRUE(saved.html.contains(
        "<iframe srcdoc=\"&lt;html&gt;&lt;head&gt;&lt;meta charset=&quot;utf-8&quot;&gt;"));
    EXPECT_TRUE(saved.html.contains("title=&quot;a&amp;amp;b&quot;"));
    EXPECT_TRUE(saved.html.contains("<frame src=\"data:text/html;charset=utf-8;base64,"));
    // What the index reads of it: the text, never the pictures' data or a frame's markup.
    const QString text = fulltext::htmlBodyText(saved.html);
    EXPECT_TRUE(text.contains("正文"));
    EXPECT_FALSE(text.contains("base64") || text.contains("<") || text.contains("srcdoc"))
        << text.toStdString();
    EXPECT_EQ(saved.gaps.notFetched, QStringList{"http://h.cn/gone.png（HTTP 404）"});
    EXPECT_EQ(saved.gaps.tooLarge, QStringList{"http://h.cn/big.mp4"});
    EXPECT_EQ(saving::gapsSummary(saved.gaps),
              "1个文件没有取到，1个文件太大，1个其他网站的框架，留作链接");
}

TEST(WholePageTest, ADocumentWithoutAHeadStillGetsThePolicyAfterItsDocumentType) {
    saving::WholePageCapture capture;
    capture.nonce = kNonce;
    capture.url = QUrl("file:///tmp/a.svg");
    capture.html = "<!DOCTYPE svg><svg></svg>";
    const QString html = saving::writeWholePage(capture, {}, QDateTime::currentDateTime()).html;
    EXPECT_TRUE(html.contains("<!DOCTYPE svg><meta charset=\"utf-8\"><meta http-equiv="));
}

TEST(WholePageTest, TheCaptureIsReadOnlyWithItsNonceAndMarkup) {
    QJsonObject object{
        {"nonce", kNonce},
        {"html", "<html></html>"},
        {"url", "http://h/"},
        {"resources", QJsonArray{"http://h/a.png"}},
        {"styles",
         QJsonArray{QJsonObject{{"css", "a{}"}, {"base", "http://h/"}, {"attribute", true}}}}};
    const auto capture =
        saving::parseWholePageCapture(QJsonDocument(object).toJson(QJsonDocument::Compact));
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->resources, QList<QUrl>{QUrl("http://h/a.png")});
    EXPECT_TRUE(capture->styles.value(0).attribute);
    object["nonce"] = "lumaro\")x";
    EXPECT_FALSE(saving::parseWholePageCapture(QJsonDocument(object).toJson()));
    EXPECT_FALSE(saving::parseWholePageCapture("not json"));
    EXPECT_FALSE(saving::parseWholePageCapture(""));
}

TEST(WholePageTest, MimeTypesComeFromTheServerElseTheBytesElseTheName) {
    const struct {
        QByteArray data, type;
        const char *url, *expected;
    } cases[] = {
        {"\xFF\xD8\xFF\xE0", "image/jpeg; charset=x", "http://h/a", "image/jpeg"},
        {"\xFF\xD8\xFF\xE0", "application/octet-stream", "http://h/a.png", "image/jpeg"},
        {"<?xml version='1.0'?><svg xmlns=''/>", "text/plain", "http://h/i", "image/svg+xml"},
        {"wOF2....", "", "http://h/f", "font/woff2"},
        {"????", "", "http://h/f.woff", "font/woff"},
        {"????", "", "http://h/f", "application/octet-stream"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(saving::resourceMimeType(c.data, c.type, QUrl(c.url)), c.expected) << c.url;
}

// A fetch that answers when the test says, as the network does later.
struct PendingFetches {
    QList<std::pair<QUrl, std::function<void(FetchedResource)>>> asked;
    saving::ResourceGathering::Fetch fetch() {
        return [this](const QUrl &url, std::function<void(FetchedResource)> reply) {
            asked.append({url, std::move(reply)});
        };
    }
    // Answers every question asked so far, by address.
    void answer(const QHash<QString, FetchedResource> &files) {
        const auto now = std::exchange(asked, {});
        for (const auto &[url, reply] : now)
            reply(files.value(url.toString(), {false, {}, {}, false, "404"}));
    }
};

TEST(ResourceGatheringTest, SheetsLeadToTheirFilesEachFetchedOnceAndSharedOnesComeFromTheCache) {
    saving::WholePageCapture capture;
    capture.url = QUrl("http://h/p/page.htm");
    capture.resources = {QUrl("http://h/a.png"), QUrl("http://h/a.png#frag"),
                         QUrl("file:///etc/passwd")};
    capture.sheets = {QUrl("http://h/s.css")};
    capture.styles = {{"x{background:url(a.png)}", QUrl("http://h/"), true}};
    const QHash<QString, FetchedResource> files = {
        {"http://h/a.png", file("png")},
        {"http://h/s.css", file("@import 'i/t.css'; y{background:url(b.gif)}")},
        {"http://h/i/t.css", file("z{background:url(../a.png)} @font-face{src:url(f.woff)}")},
        {"http://h/b.gif", file("gif")},
        {"http://h/i/f.woff", file("woff")},
    };
    auto cache = std::make_shared<saving::ResourceCache>();
    for (int page = 0; page < 2; ++page) {
        PendingFetches network;
        std::optional<saving::ResourceTable> table;
        auto gathering = saving::ResourceGathering::start(
            capture, network.fetch(), cache, [&](saving::ResourceTable t) { table = t; });
        QStringList asked;
        while (!network.asked.isEmpty()) {
            for (const auto &question : network.asked)
                asked.append(question.first.toString());
            network.answer(files);
        }
        ASSERT_TRUE(table) << page;
        if (page == 0)
            EXPECT_EQ(asked, QStringList({"http://h/s.css", "http://h/a.png", "http://h/i/t.css",
                                          "http://h/b.gif", "http://h/i/f.woff"}));
        else
            EXPECT_TRUE(asked.isEmpty()) << asked.join(' ').toStdString();
        EXPECT_EQ(table->size(), 6);
        EXPECT_TRUE(table->value("http://h/i/f.woff").ok);
        EXPECT_FALSE(table->value("file:///etc/passwd").ok); // never read for a web page
    }
}

TEST(ResourceGatheringTest, APageNamingThousandsOfFilesHasTheRestLeftAsLinks) {
    saving::WholePageCapture capture;
    capture.url = QUrl("http://h/");
    for (int i = 0; i <= saving::kWholePageMaxFiles; ++i)
        capture.resources.append(QUrl(QString("http://h/%1.png").arg(i)));
    PendingFetches network;
    std::optional<saving::ResourceTable> table;
    auto gathering = saving::ResourceGathering::start(capture, network.fetch(), nullptr,
                                                      [&](saving::ResourceTable t) { table = t; });
    int asked = 0;
    while (!network.asked.isEmpty()) {
        asked += int(network.asked.size());
        network.answer({});
    }
    ASSERT_TRUE(table);
    EXPECT_EQ(asked, saving::kWholePageMaxFiles);
    EXPECT_EQ(table->value(QString("http://h/%1.png").arg(saving::kWholePageMaxFiles)).error,
              "网页的文件太多");
}

TEST(ResourceGatheringTest, ADroppedGatheringHearsNoMoreAndNothingAtAllEndsAtOnce) {
    saving::WholePageCapture capture;
    capture.url = QUrl("http://h/");
    capture.resources = {QUrl("http://h/a.png")};
    PendingFetches network;
    bool told = false;
    auto gathering = saving::ResourceGathering::start(capture, network.fetch(), nullptr,
                                                      [&](saving::ResourceTable) { told = true; });
    gathering.reset();
    network.answer({});
    EXPECT_FALSE(told);

    saving::WholePageCapture empty;
    empty.url = QUrl("http://h/");
    bool emptyTold = false;
    auto none = saving::ResourceGathering::start(
        empty, network.fetch(), nullptr, [&](saving::ResourceTable t) { emptyTold = t.isEmpty(); });
    EXPECT_TRUE(emptyTold);
}

} // namespace
