#include "common/programfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ProgramFolderTest : public ::testing::Test {
protected:
    void write(const QString &name, const QByteArray &bytes) {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir m_dir;
};

TEST_F(ProgramFolderTest, SavePathFromTheSettingsFile) {
    const common::ProgramFolder folder(m_dir.path());
    EXPECT_EQ(folder.readSavePath(), folder.path()); // missing
    write("savepath.ini", "  \r\n \r\n");
    EXPECT_EQ(folder.readSavePath(), folder.path()); // blank lines
    write("savepath.ini", "/data/pages\r\n");
    EXPECT_EQ(folder.readSavePath(), "/data/pages");
    write("savepath.ini", "/data/\r\npages\r\n"); // two lines joined
    EXPECT_EQ(folder.readSavePath(), "/data/pages");
    write("savepath.ini", " /data/\xD6\xD0\xCE\xC4\n"); // GBK, LF only
    EXPECT_EQ(folder.readSavePath(), QString::fromUtf8("/data/中文"));
    ASSERT_TRUE(folder.writeSavePath(QString::fromUtf8("/存/x")));
    QFile file(m_dir.filePath("savepath.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("/\xB4\xE6/x\r\n"));
}

TEST_F(ProgramFolderTest, SavePathInUtf8OrCrLinesAndBrokenFilesIgnoredWithAReason) {
    const common::ProgramFolder folder(m_dir.path());
    QString problem = "unset";
    write("savepath.ini", "/home/u/T\xC3\xA9l\xC3\xA9\x63hargements\n"); // UTF-8, as edited here
    EXPECT_EQ(folder.readSavePath(&problem), QString::fromUtf8("/home/u/Téléchargements"));
    EXPECT_TRUE(problem.isEmpty());
    write("savepath.ini", "/data/\rpages\r");
    EXPECT_EQ(folder.readSavePath(), "/data/pages");
    // Too large to be a folder name, or not text: not used, and the reason names the file.
    write("savepath.ini", QByteArray(common::ProgramFolder::kMaxSettingsBytes + 1, 'a'));
    EXPECT_EQ(folder.readSavePath(&problem), folder.path());
    EXPECT_TRUE(problem.contains(m_dir.filePath("savepath.ini"))) << problem.toStdString();
    EXPECT_TRUE(problem.contains("文件太大"));
    write("savepath.ini", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFF", 18));
    EXPECT_EQ(folder.readSavePath(&problem), folder.path());
    EXPECT_TRUE(problem.contains("不是文本文件")) << problem.toStdString();
    // A file where a folder should be: the default folder, and the reason says so.
    write("savepath.ini", m_dir.filePath("savepath.ini").toUtf8());
    EXPECT_EQ(folder.readSavePath(&problem), folder.path());
    EXPECT_TRUE(problem.contains("是一个文件，不是文件夹")) << problem.toStdString();
    QFile::remove(m_dir.filePath("savepath.ini"));
    EXPECT_EQ(folder.readSavePath(&problem), folder.path());
    EXPECT_TRUE(problem.isEmpty()); // missing: nothing to tell
}

TEST_F(ProgramFolderTest, TemplateAndGroupNamesInAlphabeticalOrder) {
    for (const char *name : {"inputtemplate/b.ini", "inputtemplate/a.ini", "inputtemplate/x.y.ini",
                             "inputtemplate/notes.txt", "group/新闻.txt", "group/A.txt"})
        write(name, "");
    const common::ProgramFolder folder(m_dir.path());
    EXPECT_EQ(folder.templateNames(), QStringList({"a", "b", "x.y"}));
    EXPECT_EQ(folder.groupNames(), QStringList({"A", QString::fromUtf8("新闻")}));
    EXPECT_TRUE(common::ProgramFolder(m_dir.filePath("none")).templateNames().isEmpty());
}

} // namespace
