#include "common/datafolder.h"
#include "common/programfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DataFolderTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return QDir(root.path()).filePath(name); }
    void write(const QString &name, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString &name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // An installed program: bin/ and share/lumaro/ with the shipped pages.
    void install() {
        QDir().mkpath(path("usr/bin"));
        write("usr/share/lumaro/link.htm", "shipped favourites");
        write("usr/share/lumaro/help.html", "help v1");
        write(QString::fromUtf8("usr/share/lumaro/Lumaro浏览器的来历.htm"), "origin");
        write("usr/share/lumaro/savetemplate/savetext.htm", "template");
    }
    common::FolderLayoutInput installedInput() const {
        return {path("usr/bin"),
                QString(),
                path("home/.local/share/Lumaro"),
                path("home/Documents"),
                path("home/.cache/Lumaro"),
                path("work")};
    }

    QTemporaryDir root;
};

TEST_F(DataFolderTest, InstalledProgramKeepsDataInTheUsersFolders) {
    install();
    const common::FolderLayout layout = common::decideFolderLayout(installedInput());
    EXPECT_EQ(layout.shipped, path("usr/share/lumaro"));
    EXPECT_EQ(layout.data, path("home/.local/share/Lumaro"));
    EXPECT_EQ(layout.defaultSaveFolder, path("home/Documents"));
    EXPECT_EQ(layout.cacheFolder, path("home/.cache/Lumaro"));
    EXPECT_FALSE(layout.portable);
}

// What the program keeps (open tabs, the index, cookies) is its owner's alone: the installed
// data folder and the cache are made, or closed, 0700; a folder the user named and made is
// left as it was, one the program makes for it is 0700 too.
TEST_F(DataFolderTest, TheDataFolderIsOpenToItsOwnerOnly) {
    install();
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    const QFile::Permissions open =
        ownerOnly | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    common::FolderLayout layout = common::decideFolderLayout(installedInput());
    ASSERT_TRUE(common::prepareDataFolder(layout).isEmpty());
    EXPECT_EQ(QFileInfo(layout.data).permissions(), ownerOnly);
    EXPECT_EQ(QFileInfo(layout.cacheFolder).permissions(), ownerOnly);
    EXPECT_EQ(QFileInfo(path("home/.local")).permissions() & QFile::ReadOther, QFile::ReadOther);

    QFile::setPermissions(layout.data, open); // as an earlier version left it
    ASSERT_TRUE(common::prepareDataFolder(layout).isEmpty());
    EXPECT_EQ(QFileInfo(layout.data).permissions(), ownerOnly);

    common::FolderLayoutInput chosen = installedInput();
    chosen.dataDirOption = path("mine");
    QDir().mkpath(path("mine"));
    QFile::setPermissions(path("mine"), open);
    layout = common::decideFolderLayout(chosen);
    EXPECT_TRUE(layout.cacheFolder.isEmpty());
    ASSERT_TRUE(common::prepareDataFolder(layout).isEmpty());
    EXPECT_EQ(QFileInfo(path("mine")).permissions(), open);
    chosen.dataDirOption = path("new/made");
    ASSERT_TRUE(common::prepareDataFolder(common::decideFolderLayout(chosen)).isEmpty());
    EXPECT_EQ(QFileInfo(path("new/made")).permissions(), ownerOnly);
}

TEST_F(DataFolderTest, PortableFileAndDataDirOption) {
    write("stick/lumaro/link.htm", "x");
    common::FolderLayoutInput input = installedInput();
    input.executableFolder = path("stick/lumaro");

    write("stick/lumaro/portable", "");
    common::FolderLayout layout = common::decideFolderLayout(input);
    EXPECT_TRUE(layout.portable);
    EXPECT_EQ(layout.shipped, path("stick/lumaro"));
    EXPECT_EQ(layout.data, path("stick/lumaro"));
    EXPECT_EQ(layout.defaultSaveFolder, path("stick/lumaro"));

    // A folder named on the first line, relative to the executable's folder.
    write("stick/lumaro/portable", "../我的数据 #1\nignored\n");
    layout = common::decideFolderLayout(input);
    EXPECT_EQ(layout.data, path(QString::fromUtf8("stick/我的数据 #1")));
    EXPECT_EQ(layout.shipped, path("stick/lumaro"));

    // --data-dir wins over both, relative to the working folder.
    input.dataDirOption = "../mine";
    layout = common::decideFolderLayout(input);
    EXPECT_EQ(layout.data, path("mine"));
    EXPECT_EQ(layout.defaultSaveFolder, path("mine"));
}

TEST_F(DataFolderTest, FirstStartSeedsAndTheSecondChangesNothing) {
    install();
    const common::FolderLayout layout = common::decideFolderLayout(installedInput());
    EXPECT_EQ(common::prepareDataFolder(layout), QStringList());
    const QString data = "home/.local/share/Lumaro/";
    EXPECT_EQ(read(data + "link.htm"), "shipped favourites");
    EXPECT_EQ(read(data + "savetemplate/savetext.htm"), "template");
    EXPECT_EQ(read(data + QString::fromUtf8("Lumaro浏览器的来历.htm")), "origin");
    EXPECT_TRUE(QFileInfo(path(data + "inputtemplate")).isDir());
    EXPECT_TRUE(QFileInfo(path(data + "group")).isDir());
    EXPECT_TRUE(QFileInfo(path("home/Documents")).isDir());

    const QDateTime seeded = QFileInfo(path(data + "help.html")).lastModified();
    {
        QFile help(path(data + "help.html"));
        ASSERT_TRUE(help.open(QIODevice::ReadWrite));
        help.setFileTime(seeded.addSecs(-100), QFileDevice::FileModificationTime);
    }
    EXPECT_EQ(common::prepareDataFolder(layout), QStringList());
    EXPECT_EQ(QFileInfo(path(data + "help.html")).lastModified(), seeded.addSecs(-100));
    EXPECT_EQ(QDir(path(data)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 6);
}

TEST_F(DataFolderTest, UsersFilesStayAndHelpPagesFollowTheProgram) {
    install();
    const common::FolderLayout layout = common::decideFolderLayout(installedInput());
    const QString data = "home/.local/share/Lumaro/";
    write(data + "link.htm", "my favourites");
    write(data + "savetemplate/savetext.htm", "my template");
    write(data + "savepath.ini", "/pages\r\n");
    write("usr/share/lumaro/help.html", "help v2"); // an upgrade
    EXPECT_EQ(common::prepareDataFolder(layout), QStringList());
    EXPECT_EQ(read(data + "link.htm"), "my favourites");
    EXPECT_EQ(read(data + "savetemplate/savetext.htm"), "my template");
    EXPECT_EQ(read(data + "savepath.ini"), "/pages\r\n");
    EXPECT_EQ(read(data + "help.html"), "help v2");
}

// Installed files are read-only; the user's copies must not be.
TEST_F(DataFolderTest, CopiesOfReadOnlyShippedFilesCanBeEdited) {
    install();
    const QFileDevice::Permissions readOnly =
        QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(path("usr/share/lumaro/link.htm"), readOnly);
    const common::FolderLayout layout = common::decideFolderLayout(installedInput());
    EXPECT_EQ(common::prepareDataFolder(layout), QStringList());
    EXPECT_TRUE(QFileInfo(path("home/.local/share/Lumaro/link.htm")).permissions() &
                QFileDevice::WriteOwner);
}

TEST_F(DataFolderTest, ProblemsAreReportedNotHidden) {
    install();
    QFile::remove(path("usr/share/lumaro/help.html"));
    write("blocker", "a file where a folder should be");
    common::FolderLayout layout = common::decideFolderLayout(installedInput());
    layout.defaultSaveFolder = path("blocker/Documents");
    const QStringList problems = common::prepareDataFolder(layout);
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[0].contains(path("blocker/Documents")));
    EXPECT_TRUE(problems[1].contains(path("usr/share/lumaro/help.html")));
    EXPECT_EQ(read("home/.local/share/Lumaro/link.htm"), "shipped favourites");

    layout.data = path("blocker/data");
    EXPECT_EQ(common::prepareDataFolder(layout).size(), 1);
}

TEST_F(DataFolderTest, PortableFolderIsLeftAsItIs) {
    write("stick/link.htm", "favourites");
    write("stick/portable", "");
    const common::FolderLayout layout = common::decideFolderLayout(
        {path("stick"), QString(), path("appdata"), path("docs"), {}, {}});
    EXPECT_EQ(common::prepareDataFolder(layout), QStringList());
    EXPECT_FALSE(QFileInfo::exists(path("stick/help.html")));
    EXPECT_FALSE(QFileInfo::exists(path("docs")));
}

TEST_F(DataFolderTest, DefaultSaveFolderWhenSavepathIniNamesNone) {
    EXPECT_EQ(common::ProgramFolder(root.path(), path("docs")).readSavePath(), path("docs"));
    EXPECT_EQ(common::ProgramFolder(root.path()).readSavePath(), QDir::cleanPath(root.path()));
    write("savepath.ini", "/pages\r\n");
    EXPECT_EQ(common::ProgramFolder(root.path(), path("docs")).readSavePath(), "/pages");
}

} // namespace
