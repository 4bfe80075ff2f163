// Pages kept whole in one file by the real engine, opened again without their site.
#include "shell/commands.h"
#include "windowfixture.h"

#include <QBuffer>
#include <QImage>
#include <QStringEncoder>

namespace {

using browser::BrowserView;
using testing_support::waitFor;

QByteArray png(const QColor &colour) {
    QImage image(60, 20, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray gbk(const QString &text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

class WholePageEndToEnd : public testing_support::WindowFixture {
protected:
    void prepareProgramFolder() override {
        QFile ini(QDir(programDir.path()).filePath("savepath.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(saveDir.path().toUtf8() + "\r\n");
    }
    // A GBK article whose look comes from everything a page can use: a linked sheet that
    // imports another, a web font, a background, a canvas, a frame, text written by its
    // script, a picture swapped in when scrolled to and one the engine loads lazily.
    void serveArticle() {
        server.addPage(
            "/whole/article.htm",
            gbk(R"html(<!DOCTYPE html><html><head><meta charset="gbk"><title>整页保存：图片与字体</title>
<link rel="stylesheet" href="css/site.css">
<style>body{margin:8px;font:16px sans-serif} img,canvas,.box{display:block;margin:4px 0}</style>
</head><body><h1 class="web">Whole page</h1><p id="written"></p>
<img id="shown" src="img/red.png" width="60" height="20"><div class="box"></div>
<canvas id="c" width="60" height="20"></canvas>
<iframe src="frame.htm" width="240" height="50" style="border:0"></iframe>
<input id="typed"> <a id="bad" href="javascript:alert(1)" onclick="alert(2)">链接</a>
<a id="up" href="article.htm#written">上面</a> <a id="next" href="next.htm">下一页</a>
<img id="dropped" src="img/dropped.png" width="60" height="20">
<img id="lazy" src="data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"
 data-src="img/green.png" width="60" height="20" style="margin-top:1500px">
<img id="far" loading="lazy" src="img/blue.png" width="60" height="20" style="margin-top:1500px">
<xmp id="raw"></xmp>
<script>
document.getElementById('written').textContent = '脚本写的文字';
document.getElementById('raw').textContent = '</xmp><b id="escaped">out</b>';
const c = document.getElementById('c').getContext('2d');
c.fillStyle = '#f0f'; c.fillRect(0, 0, 60, 20);
new IntersectionObserver((entries, observer) => {
  for (const e of entries) if (e.isIntersecting) {
    e.target.src = e.target.dataset.src; observer.unobserve(e.target); }
}).observe(document.getElementById('lazy'));
</script></body></html>)html"),
            "text/html; charset=gbk");
        server.addPage("/whole/css/site.css",
                       gbk("@charset \"gbk\";\n@import url(more.css);\n"
                           "@font-face{font-family:LumaroWeb;src:url(../font/web.ttf)}\n"
                           "h1.web{font-family:LumaroWeb;font-size:30px}\n"
                           "h1.web:after{content:\"（标题）\"}\n"),
                       "text/css");
        server.addPage("/whole/css/more.css",
                       ".box{width:60px;height:20px;background:url(../img/blue.png)}", "text/css");
        QFile font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
        ASSERT_TRUE(font.open(QIODevice::ReadOnly)) << "fonts-dejavu-core is installed";
        server.addPage("/whole/font/web.ttf", font.readAll(), "font/ttf");
        server.addPage("/whole/frame.htm",
                       "<html><body style='margin:0;background:#ff0'><b>框架里的字</b>"
                       "<img src='img/red.png' width='30' height='10'></body></html>");
        server.addPage("/whole/img/red.png", png(Qt::red), "image/png");
        server.addPage("/whole/img/green.png", png(Qt::green), "image/png");
        server.addPage("/whole/img/blue.png", png(Qt::blue), "image/png");
        // A picture whose connection drops every time: left as a link, and said.
        server.addPage("/whole/img/dropped.png", png(Qt::cyan), "image/png");
        server.dropPage("/whole/img/dropped.png", 10, 1000);
        server.addPage("/whole/script.htm",
                       "<html><head><meta charset='utf-8'><title>x</title></head><body><script>"
                       "document.body.innerHTML = '<h2>全由脚本写成</h2><p>第二段</p>';"
                       "document.title = '脚本做的网页';</script></body></html>");
    }
    BrowserView *open(const QUrl &url) {
        BrowserView *view = tabs().openInNewTab(url, true, true);
        EXPECT_TRUE(waitFor([&] { return loaded(view) && view->url() == url; }))
            << view->url().toString().toStdString() << " " << view->isBusy() << " "
            << view->loadError().toStdString();
        return view;
    }
    QString savedFile(const QString &name) {
        QFile file(QDir(saveDir.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // The view's picture once it shows the page: its first picture (red) painted.
    QImage picture(BrowserView *view) {
        const QPoint shown = centreOf(view, "shown");
        QImage image;
        waitFor([&] {
            image = view->widget()->grab().toImage();
            return image.valid(shown) && image.pixelColor(shown) == QColor(Qt::red);
        });
        return image;
    }
    static bool settled(BrowserView *view) {
        return js(view, "document.fonts.status === 'loaded' && "
                        "Array.from(document.images).every(i => i.complete)")
            .toBool();
    }

    QTemporaryDir saveDir;
};

TEST_F(WholePageEndToEnd, APageKeptWholeOpensAloneWithoutItsSiteAndLooksAsTheReaderSawIt) {
    serveArticle();
    BrowserView *article = open(server.url("/whole/article.htm"));
    js(article, "document.getElementById('typed').value = '输入的字'; 0");
    BrowserView *scripted = open(server.url("/whole/script.htm"));
    ASSERT_TRUE(waitFor([&] { return scripted->title() == "脚本做的网页"; }));
    tabs().selectTab(tabs().tabCount() - 1); // the article is the page read
    ASSERT_TRUE(waitFor([&] { return settled(article); }));

    bool started = false;
    ASSERT_TRUE(window->commands().enqueueMenuKey("saveallwhole", [&] { started = true; }));
    ASSERT_TRUE(waitFor([&] { return started && !window->commands().runner().isBusy(); }, 60000));
    const QStringList files = QDir(saveDir.path()).entryList({"*.html"}, QDir::Files);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList{"下面这些网页已经保存，但有些部分没有放进文件：\n" +
                          server.url("/whole/article.htm").toString() +
                          "：1个文件没有取到，留作链接"});
    const QString articleFile = files.filter("图片").value(0);
    const QString html = savedFile(articleFile);
    const QString address = server.url("/whole/article.htm").toString();
    EXPECT_TRUE(html.startsWith(QString("<!-- saved from url=(%1)%2 -->\n<!-- saved date: ")
                                    .arg(address.size(), 4, 10, QChar('0'))
                                    .arg(address)));
    EXPECT_TRUE(html.contains("<title>整页保存：图片与字体</title>"));
    for (const char *kept : {"脚本写的文字", "输入的字", "框架里的字", "LumaroWeb", "（标题）"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(kept))) << kept;
    for (const char *gone : {"<script", "onclick", "javascript:", "IntersectionObserver"})
        EXPECT_FALSE(html.contains(gone, Qt::CaseInsensitive)) << gone;
    // Nothing of the site is named after the saved-from line but the link to the next page
    // and the picture that never came.
    EXPECT_EQ(html.section('\n', 1).count(server.url("/whole/").toString()), 2);
    EXPECT_TRUE(html.contains("src=\"" + server.url("/whole/img/dropped.png").toString()));
    EXPECT_TRUE(savedFile(files.filter("脚本").value(0)).contains("全由脚本写成"));

    // Alone in an empty folder, served from elsewhere: nothing is asked of any server.
    QTemporaryDir elsewhere;
    const QString copy = QDir(elsewhere.path()).filePath("copy.html");
    ASSERT_TRUE(QFile::copy(QDir(saveDir.path()).filePath(articleFile), copy));
    QFile copied(copy);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    server.addPage("/saved/copy.html", copied.readAll(), "text/html");
    const int requestsBefore = server.totalRequests();
    BrowserView *served = open(server.url("/saved/copy.html"));
    tabs().selectTab(tabs().tabCount());
    ASSERT_TRUE(waitFor([&] { return settled(served); }));
    EXPECT_EQ(server.totalRequests(), requestsBefore + 1);
    EXPECT_EQ(js(served, "performance.getEntriesByType('resource').length").toInt(), 0);
    EXPECT_EQ(js(served, "document.getElementById('lazy').naturalWidth").toInt(), 60);
    EXPECT_EQ(js(served, "document.getElementById('far').naturalWidth").toInt(), 60);
    EXPECT_EQ(js(served, "document.getElementById('typed').value").toString(), "输入的字");
    // Text a script wrote stays text, even where it looks like an end tag.
    EXPECT_TRUE(js(served, "document.getElementById('escaped') === null").toBool());
    EXPECT_TRUE(
        js(served, "document.getElementById('raw').textContent").toString().contains("<b id="));
    // A place in the page stays in the file; another page is still on the web.
    EXPECT_EQ(js(served, "document.getElementById('up').getAttribute('href')").toString(),
              "#written");
    EXPECT_EQ(js(served, "document.getElementById('next').href").toString(),
              server.url("/whole/next.htm").toString());
    EXPECT_TRUE(js(served, "document.querySelector('iframe').contentDocument.body.textContent")
                    .toString()
                    .contains("框架里的字"));
    EXPECT_TRUE(js(served, "Array.from(document.fonts).some(f => f.family.includes('LumaroWeb') "
                           "&& f.status === 'loaded')")
                    .toBool());

    // The same picture as the page the reader saw.
    const QImage after = picture(served);
    tabs().selectTab(tabs().tabCount() - 2);
    const QImage before = picture(article);
    ASSERT_EQ(before.size(), after.size());
    qint64 differing = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            differing += before.pixel(x, y) != after.pixel(x, y);
    EXPECT_LT(differing, before.width() * before.height() / 1000) << differing << " pixels differ";

    // From the disk, in the program itself: it shows, with its pictures.
    BrowserView *fromDisk = open(QUrl::fromLocalFile(copy));
    ASSERT_TRUE(waitFor([&] { return settled(fromDisk); }));
    EXPECT_EQ(js(fromDisk, "document.getElementById('shown').naturalWidth").toInt(), 60);
}

} // namespace
