#include "shell/startupoptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

shell::StartupOptions parse(const QStringList &arguments, const QString &workingFolder = "/") {
    return shell::StartupOptions::parse(QStringList{"lumaro"} + arguments, workingFolder);
}

TEST(StartupOptionsTest, AddressesFilesAndOptions) {
    QTemporaryDir work;
    for (const char *name : {"a.htm", "--x.htm"}) {
        QFile file(QDir(work.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const shell::StartupOptions options =
        parse({"--data-dir=../d", "--command", "savealltext", "a.htm", "example.com",
               "/tmp/网页 #1.htm", "--", "--x.htm"},
              work.path());
    EXPECT_FALSE(options.exitStatus);
    EXPECT_EQ(options.dataDir, "../d");
    EXPECT_EQ(options.request.command, "savealltext");
    EXPECT_EQ(options.request.addresses,
              QList<QUrl>({QUrl::fromLocalFile(QDir(work.path()).filePath("a.htm")),
                           QUrl("http://example.com"),
                           QUrl::fromLocalFile(QString::fromUtf8("/tmp/网页 #1.htm")),
                           QUrl::fromLocalFile(QDir(work.path()).filePath("--x.htm"))}));
    EXPECT_TRUE(parse({}).request.addresses.isEmpty());
    EXPECT_FALSE(options.memoryBudgetBytes);
}

TEST(StartupOptionsTest, TheMemoryBudgetIsInMegabytesAndZeroTurnsItOff) {
    EXPECT_EQ(parse({"--memory-budget", "800"}).memoryBudgetBytes, 800LL * 1024 * 1024);
    EXPECT_EQ(parse({"--memory-budget=0"}).memoryBudgetBytes, 0);
    for (const char *wrong : {"-5", "lots", "1.5", ""}) {
        const shell::StartupOptions options = parse({"--memory-budget", wrong});
        EXPECT_EQ(options.exitStatus, 2) << wrong;
        EXPECT_TRUE(options.message.contains("--memory-budget")) << wrong;
    }
}

TEST(StartupOptionsTest, HelpAndVersionEndTheStart) {
    for (const char *option : {"--help", "-h"}) {
        const shell::StartupOptions help = parse({option, "http://x/"});
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_TRUE(help.message.contains("--data-dir")) << option;
        EXPECT_TRUE(help.message.contains("--command")) << option;
    }
    const shell::StartupOptions version = parse({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_TRUE(version.message.startsWith("lumaro 2.")) << version.message.toStdString();
}

TEST(StartupOptionsTest, WrongOptionsAreSaidAndEndWithStatusTwo) {
    const shell::StartupOptions unknown = parse({"--bogus", "http://x/"});
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_TRUE(unknown.message.contains("--bogus"));
    for (const QStringList &arguments :
         {QStringList{"--data-dir"}, QStringList{"--command="}, QStringList{"--data-dir", ""},
          QStringList{"--help=yes"}}) {
        const shell::StartupOptions wrong = parse(arguments);
        EXPECT_EQ(wrong.exitStatus, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(wrong.message.contains("lumaro --help"));
    }
}

// The serial options travel in the request to the window: a start address with its series,
// or an update of one series (named after the option or with --series) or of all.
TEST(StartupOptionsTest, SerialStartNeedsAWebAddressAndASeries) {
    const shell::StartupOptions start =
        parse({"--serial-start", "http://a.cn/book/1.html", "--series", " 长夜 "});
    EXPECT_FALSE(start.exitStatus);
    EXPECT_EQ(start.request.serialStart, QUrl("http://a.cn/book/1.html"));
    EXPECT_EQ(start.request.series, "长夜");
    EXPECT_FALSE(start.request.serialUpdate);
    EXPECT_EQ(parse({"--serial-update", "长夜"}).request.series, "长夜");
    EXPECT_TRUE(parse({"--serial-update", "长夜"}).request.addresses.isEmpty());
    EXPECT_EQ(parse({"--serial-update", "--series=长夜", "http://b.cn/"}).request.addresses.size(),
              1);
    const shell::StartupOptions all = parse({"--serial-update"});
    EXPECT_TRUE(all.request.serialUpdate);
    EXPECT_TRUE(all.request.series.isEmpty());
    for (const QStringList &wrong :
         {QStringList{"--serial-start", "http://a.cn/1.html"},
          QStringList{"--serial-start", "javascript:alert(1)", "--series", "x"},
          QStringList{"--serial-start", "file:///etc/passwd", "--series", "x"},
          QStringList{"--serial-start", "http://a.cn/", "--series", "x", "--serial-update"}}) {
        const shell::StartupOptions options = parse(wrong);
        EXPECT_EQ(options.exitStatus, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(options.message.contains("--serial-start"));
    }
    // What another start hands over reads back the same.
    const auto decoded = shell::InstanceRequest::decode(start.request.encode());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->serialStart, start.request.serialStart);
    EXPECT_EQ(decoded->series, "长夜");
    EXPECT_TRUE(shell::InstanceRequest::decode(all.request.encode())->serialUpdate);
}

} // namespace
