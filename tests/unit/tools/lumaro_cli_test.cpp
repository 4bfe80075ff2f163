#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result runCli(const QStringList &args) {
    QProcess process;
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
    const QStringList links = {"links", "--command", "savehref", "--base", "http://h.example/"};
    EXPECT_EQ(runCli(links + QStringList{gbk}).out, "http://h.example/s.htm?q=%D6%D0%CE%C4\n");
    EXPECT_EQ(runCli(links + QStringList{"--charset", "utf-8", gbk}).out,
              "http://h.example/s.htm?q=%E4%B8%AD%E6%96%87\n");
    EXPECT_EQ(runCli(links + QStringList{plain}).out, "http://h.example/s.htm?q=%E4%B8%AD\n");
    EXPECT_EQ(
        runCli({"rewrite-links", "--charset", "GBK", "--base", "http://h.example/", plain}).out,
        "<a href=\"http://h.example/s.htm?q=%D6%D0\">");
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
          QStringList{"totext", "--frobnicate", "x"}, QStringList{}}) {
        const Result r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(' ').toStdString();
    }
}

} // namespace
