#include "common/ansifile.h"
#include "fulltext/savedindex.h"
#include "history/historystore.h"
#include "links/bookmarksfile.h"
#include "links/favouriteslinks.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <future>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the tool; its standard output goes to `outputFile` when one is named.
Result runCli(const QStringList &args, const QString &outputFile = QString()) {
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(LUMARO_CLI), args);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

class LumaroCli : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_F(LumaroCli, TotextPrintsUtf8WithoutAddingALineEnd) {
    // GBK bytes of "<p>中文</p><a href=x>链接</a>"
    const QString page = write("p.htm", "<p>\xD6\xD0\xCE\xC4</p><a href=x>\xC1\xB4\xBD\xD3</a>");
    Result r = runCli({"totext", page});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QString::fromUtf8("\r\n中文\r\n链接").toUtf8());
    r = runCli({"totext", "--delete-link", "--delete-script", page});
    EXPECT_EQ(r.out, QString::fromUtf8("\r\n中文\r\n").toUtf8());
}

TEST_F(LumaroCli, LinksEmailsAndRewrite) {
    const QString page =
        write("l.htm", "<a href='a.htm'>a</a> <a href=\"mailto:m@x.example\">m</a>");
    Result r = runCli({"links", "--command", "openallw", "--base", "http://h.example/d/", page});
    EXPECT_EQ(r.out, "http://h.example/d/a.htm\n");
    r = runCli({"links", "--command", "savehref", "--base", "http://h.example/d/", page});
    EXPECT_EQ(r.out, "http://h.example/d/a.htm\nmailto:m@x.example\n");
    r = runCli({"emails", page});
    EXPECT_EQ(r.out, "m@x.example\n");
    r = runCli({"rewrite-links", "--base", "http://h.example/d/i.htm", page});
    EXPECT_EQ(r.out,
              "<a href='http://h.example/d/a.htm'>a</a> <a href=\"mailto:m@x.example\">m</a>");
}

TEST_F(LumaroCli, LinkQueriesFollowTheGivenOrDeclaredCharset) {
    // GBK bytes of <meta charset="gb2312"><a href="s.htm?q=中文">
    const QString gbk =
        write("g.htm", "<meta charset=\"gb2312\"><a href=\"s.htm?q=\xD6\xD0\xCE\xC4\">");
    const QString plain = write("u.htm", "<a href=\"s.htm?q=\xE4\xB8\xAD\">");
    // "中" in GBK bytes, undeclared: a path is always sent as UTF-8 of the characters read, so
    // what the path becomes shows the charset the file was read in.
    const QString undeclared = write("n.htm", "<a href=\"\xD6\xD0/s.htm?q=\xD6\xD0\">");
    const QStringList links = {"links", "--command", "savehref", "--base", "http://h.example/"};
    EXPECT_EQ(runCli(links + QStringList{gbk}).out, "http://h.example/s.htm?q=%D6%D0%CE%C4\n");
    EXPECT_EQ(runCli(links + QStringList{plain}).out, "http://h.example/s.htm?q=%E4%B8%AD\n");
    EXPECT_EQ(runCli(links + QStringList{undeclared}).out,
              "http://h.example/%E4%B8%AD/s.htm?q=%D6%D0\n");
    EXPECT_EQ(runCli(links + QStringList{"--charset", "windows-1252", undeclared}).out,
              "http://h.example/%C3%96%C3%90/s.htm?q=%D6%D0\n");
    EXPECT_EQ(
        runCli({"rewrite-links", "--charset", "utf-8", "--base", "http://h.example/", plain}).out,
        "<a href=\"http://h.example/s.htm?q=%E4%B8%AD\">");
    EXPECT_EQ(runCli(links + QStringList{plain, "--charset"}).exitCode, 2);
}

TEST_F(LumaroCli, NamesAndExtraction) {
    EXPECT_EQ(runCli({"correct-name", "Page 2: A.B"}).out, "Page2AB\n");
    EXPECT_EQ(runCli({"correct-name", "--keep-spaces", "Page 2: A.B"}).out, "Page 2 AB\n");
    const QString page = write("e.htm", "<b>Chapter 3</b>");
    Result r = runCli({"extract-name", "--before", "<B>", "--after", "</B>", page});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Chapter3\n");
    r = runCli({"extract-name", "--before", "<i>", "--after", "</i>", page});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(LumaroCli, BadUseGivesAMessageAndStatusTwo) {
    for (const QStringList &args :
         {QStringList{"totext", m_dir.filePath("missing.htm")}, QStringList{"nonsense"},
          QStringList{"links", "--command", "openallw", m_dir.filePath("x")},
          QStringList{"links", "--command", "bogus", "--base", "http://h/", m_dir.filePath("x")},
          QStringList{"totext", "--frobnicate", "x"}, QStringList{"totext", ""}, QStringList{}}) {
        const Result r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(' ').toStdString();
    }
}

TEST_F(LumaroCli, TotextReadsEuropeanUtf8AndDeclaredPagesAsTheyAre) {
    const struct {
        const char *page;
        const char *text;
    } cases[] = {
        {"<p>Caf\xC3\xA9 cr\xC3\xA8me</p>", "Café crème"},
        {"<p>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</p>", "Привет"},
        {"<p>\xCE\x9A\xCF\x8C\xCF\x83\xCE\xBC\xCE\xB5</p>", "Κόσμε"},
        {"<p>K\xC3\xB6ln</p>", "Köln"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
         "<p>Gr\xFC\xDF\x65 aus K\xF6ln</p>",
         "Grüße aus Köln"},
    };
    for (const auto &c : cases) {
        const Result r = runCli({"totext", write("page.htm", c.page)});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), QString::fromUtf8(c.text)) << c.text;
    }
    // Real pages in four languages, as vim's tutors write them (tests/data/encodings).
    for (const char *name : {"utf8", "utf8bom", "latin1", "cp1251", "big5", "sjis"}) {
        QFile expected(QString(LUMARO_TEST_DATA "/encodings/%1.expected").arg(name));
        ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
        QStringList lines;
        for (const QString &line : QString::fromUtf8(expected.readAll()).split('\n')) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith('<'))
                lines.append(line.trimmed());
        }
        ASSERT_FALSE(lines.isEmpty()) << name;
        const QString ext = QString(name).startsWith("utf8") ? "txt" : "html";
        const Result r =
            runCli({"totext", QString(LUMARO_TEST_DATA "/encodings/%1.cr.%2").arg(name, ext)});
        EXPECT_TRUE(QString::fromUtf8(r.out).contains(lines.last()))
            << name << ": " << r.out.toStdString();
    }
}

TEST_F(LumaroCli, CharsetOverridesTheRuleForEveryCommandThatReadsAFile) {
    // "Köln <x@b.example>" in windows-1252: no declaration, so the rule says GB18030.
    const QString page = write("c.htm", "<b>K\xF6ln</b> <a href='mailto:k\xF6@b.example'>x</a>");
    EXPECT_EQ(runCli({"charset", page}).out, "GB18030\n");
    Result r = runCli({"totext", "--charset", "windows-1252", page});
    EXPECT_TRUE(QString::fromUtf8(r.out).contains("Köln")) << r.out.toStdString();
    r = runCli({"extract-name", "--charset", "latin1", "--before", "<b>", "--after", "</b>", page});
    EXPECT_EQ(QString::fromUtf8(r.out), "Köln\n");
    r = runCli({"emails", page, "--charset", "GBK"});
    EXPECT_EQ(r.exitCode, 0);
    r = runCli({"totext", "--charset", "no-such-charset", page});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("no-such-charset"));
    // Bytes that are no text show as U+FFFD, never as something else.
    r = runCli({"totext", "--charset", "utf-8", write("bad.htm", "<p>\xE4\xB8\xAD\xFF</p>")});
    EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), QString::fromUtf8("中\xEF\xBF\xBD"));
}

TEST_F(LumaroCli, OutputThatCannotBeWrittenAndInputTooLargeGiveStatusTwo) {
    const QString page = write("p.htm", "<p>text <a href=\"mailto:m@x.example\">m</a></p>");
    const QString chapters = m_dir.filePath("series");
    QDir().mkpath(chapters);
    write("series/0001 One.txt", "One\r\ntext");
    for (const QStringList &args :
         {QStringList{"totext", page}, QStringList{"emails", page}, QStringList{"charset", page},
          QStringList{"correct-name", "a b"}, QStringList{"--help"},
          QStringList{"book", chapters, "--out", m_dir.filePath("book")}}) {
        const Result r = runCli(args, "/dev/full");
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("cannot write the output")) << r.err.toStdString();
    }
    // A file one byte over the limit, and a device that never ends: neither is read past it.
    QFile large(m_dir.filePath("large.htm"));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(common::kMaxTextFileBytes + 1));
    large.close();
    for (const QString &input : {large.fileName(), QStringLiteral("/dev/zero")}) {
        const Result r = runCli({"totext", input});
        EXPECT_EQ(r.exitCode, 2) << input.toStdString();
        EXPECT_TRUE(r.err.contains("larger than the limit")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(LumaroCli, VersionAndHelpAtTheTopAndForEveryCommand) {
    for (const QStringList &args :
         {QStringList{"--version"}, QStringList{"-v"}, QStringList{"totext", "--version"},
          QStringList{"bookmarks", "import", "--version"}}) {
        const Result r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.startsWith("lumaro-cli 2.")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("GPL-3.0-or-later")) << r.out.toStdString();
    }
    const struct {
        QStringList args;
        const char *shows;
    } helps[] = {{{"--help"}, "bookmarks"},
                 {{"totext", "--help"}, "--delete-script"},
                 {{"links", "-h"}, "--command <"},
                 {{"extract-name", "--help"}, "--after <"},
                 {{"book", "--help"}, "--out <"},
                 {{"bookmarks", "--help"}, "export"},
                 {{"bookmarks", "import", "--help"}, "--data-dir <"}};
    for (const auto &help : helps) {
        const Result r = runCli(help.args);
        EXPECT_EQ(r.exitCode, 0) << help.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.out).contains("用法：lumaro-cli")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(help.shows)) << help.args.join(' ').toStdString();
    }
    for (const QStringList &args :
         {QStringList{"bookmarks"}, QStringList{"bookmarks", "merge"},
          QStringList{"bookmarks", "import", "x.html"}, QStringList{"book", "--frobnicate"}}) {
        const Result r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(' ').toStdString();
    }
}

// A bookmark file as Chromium writes it, with `count` entries; the odd ones in a folder.
// Half the entries at the top, the others in ten folders (two of them inside the eighth), each
// added at a time of its own.
QByteArray chromiumBookmarks(int count) {
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                      "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n"
                      "<H1>Bookmarks</H1>\n<DL><p>\n";
    QList<QByteArray> folders(10);
    for (int i = 0; i < count; ++i) {
        const QByteArray row = "<DT><A HREF=\"https://site" + QByteArray::number(i) +
                               ".example/p?a=1&amp;b=" + QByteArray::number(i) + "\" ADD_DATE=\"" +
                               QByteArray::number(1700000000 + i) + "\">第" +
                               QByteArray::number(i) + "页 &amp; more</A>\n";
        (i % 2 ? folders[i / 2 % 10] : html) += row;
    }
    const auto folder = [&](int n) {
        return "<DT><H3 ADD_DATE=\"1700000000\">" + (n < 8 ? "文件夹" : QByteArray("子")) +
               QByteArray::number(n) + "</H3>\n<DL><p>\n" + folders[n];
    };
    for (int n = 0; n < 8; ++n)
        html += folder(n) + (n == 7 ? folder(8) + "</DL><p>\n" + folder(9) + "</DL><p>\n" : "") +
                "</DL><p>\n";
    return html + "</DL><p>\n";
}

// A pipe is read as what its writer writes; bookmarks go into a data folder not made yet, made
// as the browser makes it.
TEST_F(LumaroCli, PipesAreReadAndANewDataFolderIsMade) {
    const QString pipe = m_dir.filePath("in.htm");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    auto writer = std::async(std::launch::async, [&] {
        QFile file(pipe);
        if (file.open(QIODevice::WriteOnly))
            file.write("<p>Tom &amp; Jerry</p>");
    });
    Result r = runCli({"totext", pipe});
    writer.wait();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Tom & Jerry")) << r.out.toStdString();

    const QString data = m_dir.filePath("new/data");
    r = runCli({"bookmarks", "import", "--data-dir", data,
                write("b.html", "<DL><DT><A HREF=\"http://a.example/\">a</A></DL>")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\n");
    EXPECT_TRUE(QFile::exists(data + "/link.htm"));
    EXPECT_TRUE(QFileInfo(data + "/group").isDir());
}

TEST_F(LumaroCli, BookmarksImportIntoLinkHtmAndExportBack) {
    QDir().mkpath(m_dir.filePath("data"));
    const QString data = m_dir.filePath("data");
    ASSERT_TRUE(QFile::copy(LUMARO_SHIPPED_FOLDER "/link.htm", data + "/link.htm"));
    QFile::setPermissions(data + "/link.htm", QFile::ReadOwner | QFile::WriteOwner);
    const QString thousand = write("thousand.html", chromiumBookmarks(1000));
    Result r = runCli({"bookmarks", "import", "--data-dir", data, thousand});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1000\n");
    // Again: every address is there already. A GBK file adds its one new entry; a bookmarklet
    // is left out and said so.
    EXPECT_EQ(runCli({"bookmarks", "import", "--data-dir", data, thousand}).out, "0\n");
    const QString gbk =
        write("gbk.html", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=GBK\">"
                          "<DL><p><DT><A HREF=\"https://gbk.example/\">\xD6\xD0\xCE\xC4</A>"
                          "<DT><A HREF=\"javascript:alert(1)\">x</A></DL><p>");
    r = runCli({"bookmarks", "import", "--data-dir", data, gbk});
    EXPECT_EQ(r.out, "1\n");
    EXPECT_TRUE(r.err.contains("javascript:alert(1)")) << r.err.toStdString();

    const QString exported = m_dir.filePath("exported.html");
    r = runCli({"bookmarks", "export", "--data-dir", data, exported});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1001\n");
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto back = links::bookmarks::readBookmarks(QString::fromUtf8(file.readAll()));
    // Each comes back with its title, its folders and the time it was added.
    QSet<QString> written;
    const auto described = [](const links::bookmarks::Bookmark &bookmark) {
        return bookmark.address + u'\t' + bookmark.title + u'\t' + bookmark.folders.join(u'>') +
               u'\t' + QString::number(bookmark.added);
    };
    for (const auto &bookmark : back.bookmarks)
        written.insert(described(bookmark));
    QFile source(thousand);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const auto imported = links::bookmarks::readBookmarks(QString::fromUtf8(source.readAll()));
    ASSERT_EQ(imported.bookmarks.size(), 1000);
    // Those of no folder come back in the program's own folder.
    QSet<QString> folders;
    for (auto bookmark : imported.bookmarks) {
        folders.insert(bookmark.folders.join(u'>'));
        if (bookmark.folders.isEmpty())
            bookmark.folders = QStringList{QString::fromUtf8("Lumaro浏览器收藏夹")};
        EXPECT_TRUE(written.contains(described(bookmark))) << described(bookmark).toStdString();
    }
    EXPECT_EQ(folders.size(), 11); // the top and ten folders
    EXPECT_TRUE(std::any_of(written.begin(), written.end(), [](const QString &line) {
        return line.startsWith(QString::fromUtf8("https://gbk.example/\t中文\tLumaro浏览器收藏夹"));
    }));
    EXPECT_EQ(back.bookmarks.size(), 1001);
}

} // namespace

namespace {

TEST_F(LumaroCli, IndexAndSearchSavedFiles) {
    const QString save = m_dir.filePath("save");
    const QString data = m_dir.filePath("data");
    QDir().mkpath(save);
    // GBK: "<title>天气</title><p>明天	有雨</p>" and a CR LF text "雨伞\r\n".
    write("save/a.htm", "<meta charset=gbk><title>\xCC\xEC\xC6\xF8</title>"
                        "<p>\xC3\xF7\xCC\xEC\t\xD3\xD0\xD3\xEA</p>");
    write("save/b.txt", "\xD3\xEA\xC9\xA1\r\n");
    Result r = runCli({"search", "--data-dir", data, "rain"});
    EXPECT_EQ(r.exitCode, 2) << "no index yet";
    r = runCli({"index", "--data-dir", data, save});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "added 2 changed 0 removed 0 unchanged 0 unreadable 0\n");

    r = runCli({"search", "--data-dir", data, "明天"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              (QDir(save).filePath("a.htm") + "\t天气\t天气 明天 有雨\n").toStdString());
    // For scripts: every field, tab-separated or as one JSON object a line, in plain text.
    r = runCli({"search", "--data-dir", data, "--format", "tsv", "明天"});
    const QStringList tsv = QString::fromUtf8(r.out.trimmed()).split(u'\t');
    ASSERT_EQ(tsv.size(), 6) << r.out.toStdString();
    EXPECT_EQ(tsv[1], "天气");
    const QDateTime saved = QDateTime::fromString(tsv[2], Qt::ISODate);
    EXPECT_TRUE(saved.isValid()) << tsv[2].toStdString();
    EXPECT_LT(qAbs(saved.secsTo(QDateTime::currentDateTime())), 600);
    EXPECT_EQ(tsv[3], "htm");
    EXPECT_EQ(tsv[5], "天气 明天 有雨");
    r = runCli({"search", "--data-dir", data, "--format", "json", "明天"});
    const QJsonObject json = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(json.value("path").toString(), QDir(save).filePath("a.htm"));
    EXPECT_EQ(json.value("date").toString(), tsv[2]);
    EXPECT_EQ(json.value("size").toInteger(), QFileInfo(QDir(save).filePath("a.htm")).size());
    EXPECT_EQ(json.value("snippet").toString(), "天气 明天 有雨");
    EXPECT_EQ(runCli({"search", "--data-dir", data, "--format", "xml", "明天"}).exitCode, 2);
    r = runCli({"search", "--data-dir", data, "--limit", "1", "雨"});
    EXPECT_EQ(r.out.count('\n'), 1);
    r = runCli({"search", "--data-dir", data, "雨", "-明天"});
    EXPECT_EQ(r.out.toStdString(), (QDir(save).filePath("b.txt") + "\tb\t雨伞\n").toStdString());
    // A query may begin with a word left out; its snippet is plain text, not HTML.
    write("save/c.txt", "Tom & Jerry <b>\r\n");
    EXPECT_EQ(runCli({"index", "--data-dir", data, save}).exitCode, 0);
    r = runCli({"search", "--data-dir", data, "-rain", "Jerry"});
    EXPECT_EQ(r.out.toStdString(),
              (QDir(save).filePath("c.txt") + "\tc\tTom & Jerry <b>\n").toStdString())
        << r.err.toStdString();
    EXPECT_EQ(runCli({"search", "--data-dir", data, "火星"}).exitCode, 1);
    EXPECT_EQ(runCli({"search", "--data-dir", data, "--limit", "0", "雨"}).exitCode, 2);
    EXPECT_EQ(runCli({"index", "--data-dir", data, m_dir.filePath("none")}).exitCode, 2);

    // Filters as options, alone or with words; the newest first on asking.
    QDir().mkpath(QDir(save).filePath("新闻"));
    write("save/新闻/d.txt", "雨季\r\n");
    QFile newest(QDir(save).filePath("新闻/d.txt"));
    ASSERT_TRUE(newest.open(QIODevice::ReadWrite));
    newest.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime);
    newest.close();
    EXPECT_EQ(runCli({"index", "--data-dir", data, save}).exitCode, 0);
    const auto names = [](const Result &result) {
        QStringList found;
        for (const QByteArray &line : result.out.split('\n'))
            if (!line.isEmpty())
                found.append(QFileInfo(QString::fromUtf8(line.split('\t').value(0))).fileName());
        return found;
    };
    EXPECT_EQ(names(runCli({"search", "--data-dir", data, "--kind", "htm", "雨"})),
              QStringList{"a.htm"});
    EXPECT_EQ(names(runCli({"search", "--data-dir", data, "--dir", "新闻"})), QStringList{"d.txt"});
    EXPECT_EQ(names(runCli({"search", "--data-dir", data, "--dir", save + "/新闻", "雨"})),
              QStringList{"d.txt"});
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    EXPECT_EQ(names(runCli({"search", "--data-dir", data, "--since", today, "--until", today,
                            "--sort", "date", "--kind", "txt", "雨"}))
                  .value(0),
              "d.txt");
    EXPECT_EQ(runCli({"search", "--data-dir", data, "--until", "2001-01-01", "雨"}).exitCode, 1);
    EXPECT_EQ(runCli({"search", "--data-dir", data, "--since", "2026/01/01", "雨"}).exitCode, 2);
    EXPECT_EQ(runCli({"search", "--data-dir", data, "--sort", "size", "雨"}).exitCode, 2);

    // Pages read are searched on asking, their address in the file's place.
    {
        QString error;
        auto index = fulltext::SavedIndex::open(data + "/index", &error);
        ASSERT_TRUE(index) << error.toStdString();
        fulltext::ReadPage page{"https://r.cn/雨", "读过", "大雨将至", 1765000000};
        ASSERT_TRUE(index->indexReadPage(page));
        ASSERT_TRUE(index->commit());
    }
    EXPECT_EQ(runCli({"search", "--data-dir", data, "大雨"}).exitCode, 1); // saved files only
    r = runCli({"search", "--data-dir", data, "--kind", "read", "大雨"});
    EXPECT_EQ(r.out.toStdString(), "https://r.cn/雨\t读过\t大雨将至\n");
    EXPECT_EQ(runCli({"search", "--data-dir", data, "--kind", "all", "雨"}).out.count('\n'), 4);
}

} // namespace

namespace {

// The history of a data folder, one page a line, the last visited first.
TEST_F(LumaroCli, HistoryListPrintsThePagesVisitedNewestFirst) {
    const QString data = m_dir.filePath("data");
    EXPECT_EQ(runCli({"history", "list", "--data-dir", data}).out, QByteArray()); // none yet
    const qint64 monday = QDateTime(QDate(2026, 12, 7), QTime(9, 0)).toMSecsSinceEpoch();
    {
        QString error;
        auto store = history::HistoryStore::open(data + "/history.sqlite", &error);
        ASSERT_TRUE(store) << error.toStdString();
        store->recordVisit("https://a.cn/", "甲\t页", monday);
        store->recordVisit("https://b.cn/", "乙", monday + 1000);
        store->recordVisit("https://a.cn/", "", monday + 2000);
    }
    const Result r = runCli({"history", "list", "--data-dir", data});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(monday + 2000);
    EXPECT_EQ(lines[0], local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate) +
                            "\thttps://a.cn/\t甲 页");
    EXPECT_TRUE(lines[1].endsWith("\thttps://b.cn/\t乙"));
    EXPECT_EQ(runCli({"history", "list", "--data-dir", data, "--limit", "1"}).out.count('\n'), 1);
    EXPECT_EQ(runCli({"history", "list", "--data-dir", data, "--limit", "0"}).exitCode, 2);
    EXPECT_EQ(runCli({"history", "nothing"}).exitCode, 2);

    // Another browser's visits are added once (here a Chromium History file).
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "chromium");
        db.setDatabaseName(m_dir.filePath("History"));
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        for (const QString &statement :
             {QString("CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT, title TEXT)"),
              QString(
                  "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER, visit_time INTEGER)"),
              QString("INSERT INTO urls VALUES(1, 'https://c.cn/', '丙')"),
              QString("INSERT INTO visits VALUES(1, 1, %1)")
                  .arg((monday + 11644473600000LL) * 1000)})
            ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase("chromium");
    const Result imported =
        runCli({"history", "import", "--data-dir", data, m_dir.filePath("History")});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, "从 Chromium 导入了 1 次访问（文件里有 1 次）\n");
    EXPECT_TRUE(
        runCli({"history", "list", "--data-dir", data}).out.contains("\thttps://c.cn/\t丙\n"));
    EXPECT_TRUE(runCli({"history", "import", "--data-dir", data, m_dir.filePath("History")})
                    .out.startsWith("从 Chromium 导入了 0 次访问"));
    EXPECT_EQ(runCli({"history", "import", "--data-dir", data, m_dir.filePath("none")}).exitCode,
              2);
}

} // namespace
