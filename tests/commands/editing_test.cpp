#include "commands/editing/editingcommands.h"
#include "common/ansifile.h"
#include "editing/templates.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using commands::Dialogs;
using testing_support::FakeBrowserView;

class EditingTest : public testing_support::CommandFixture {
protected:
    EditingTest()
        : editing(context, folder,
                  [this](const QString &button, const QString &key, const QString &) {
                      if (menus[button].contains(key))
                          return false;
                      menus[button].append(key);
                      return true;
                  }) {
        page()->pageUrl = QUrl("http://h.example/a.htm");
    }

    QString saved(const QString &name) {
        return common::readTextFile(QDir(saveDir.path()).filePath(name)).text;
    }
    QByteArray savedBytes(const QString &name) {
        QFile file(QDir(saveDir.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList savedFiles() {
        return QDir(saveDir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QHash<QString, QStringList> menus;
    commands::EditingCommands editing;
};

TEST_F(EditingTest, DeleteSelectFromPageRemovesEveryOccurrenceButNotOnTheFavourites) {
    page()->pageHtml = "<p>广告 text 广告</p><a href='x'>广告</a>";
    page()->selection = " 广告 ";
    ASSERT_TRUE(testing_support::finish(editing.deleteSelectFromPage()));
    EXPECT_EQ(page()->pageHtml, "<p> text </p><a href='x'></a>");
    page()->selection = "a & b";
    page()->pageHtml = "<p>a &amp; b</p>";
    ASSERT_TRUE(testing_support::finish(editing.deleteSelectFromPage()));
    EXPECT_EQ(page()->pageHtml, "<p>a &amp; b</p>");
    page()->selection.clear();
    ASSERT_TRUE(testing_support::finish(editing.deleteSelectFromPage()));
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"请选择网页中你要删除的文字！"}));
    page()->pageUrl = folder.favouritesUrl();
    page()->selection = "a";
    ASSERT_TRUE(testing_support::finish(editing.deleteSelectFromPage()));
    EXPECT_EQ(page()->pageHtml, "<p>a &amp; b</p>");
    EXPECT_EQ(clipboard.text(), "a"); // the selection was copied all the same
}

TEST_F(EditingTest, DeleteSelectRemovesTheFavouriteRowHoldingTheSelection) {
    const QString file =
        "<table>\r\n<tr class=\"n\">\r\n<td>&nbsp;http://a.example/</td>\r\n<td>&nbsp;甲</td>\r\n"
        "<td><input type=\"button\" name=\"B2KEY\"></td>\r\n</tr>\r\n</table>\r\n";
    ASSERT_TRUE(common::writeTextFile(folder.favouritesPath(), file));
    page()->selection = "甲";
    editing.deleteSelectFromFavourites(); // not on the favourites page: nothing
    EXPECT_EQ(common::readTextFile(folder.favouritesPath()).text, file);
    page()->pageUrl = folder.favouritesUrl();
    page()->selection = "甲 乙"; // spans markup: not in the file
    editing.deleteSelectFromFavourites();
    EXPECT_EQ(dialogs.messageTexts().last(), "选择的文本必须在同一标记下，请分别选择删除！");
    page()->selection = "甲";
    editing.deleteSelectFromFavourites();
    EXPECT_EQ(common::readTextFile(folder.favouritesPath()).text, "<table>\r\n</table>\r\n");
    EXPECT_EQ(page()->reloadCount, 1);
}

// The shipped favourites page, as the program ships it (LF) or in another line-end style.
QByteArray shippedFavourites(const QByteArray &end = "\n") {
    QFile file(QStringLiteral(LUMARO_SHIPPED_FOLDER "/link.htm"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    // Staged in GB18030, as the build does.
    QByteArray bytes = QStringEncoder("GB18030").encode(QString::fromUtf8(file.readAll()));
    bytes.replace("</table>", "<tr class=\"normalcolorstyle\">\n<td>&nbsp;http://a.example/</td>\n"
                              "<td>&nbsp;\xC1\xB4\xBD\xD3</td>\n</tr>\n</table>"); // 链接 in GBK
    bytes.replace("\n", end);
    return bytes;
}

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST_F(EditingTest, DeleteSelectOnTheShippedFavouritesKeepsTheRestByteForByte) {
    page()->pageUrl = folder.favouritesUrl();
    for (const QByteArray end : {"\n", "\r\n", "\r"}) {
        const QByteArray original = shippedFavourites(end);
        writeBytes(folder.favouritesPath(), original);
        page()->selection = "我的收藏"; // in the heading
        editing.deleteSelectFromFavourites();
        QByteArray expected = original;
        expected.remove(expected.indexOf("<h1>"),
                        expected.indexOf("</h1>") + 5 + end.size() - expected.indexOf("<h1>"));
        EXPECT_EQ(bytesOf(folder.favouritesPath()), expected);
        page()->selection = "链接"; // the row's comment; the header's 链接地址 comes first
        editing.deleteSelectFromFavourites();
        EXPECT_FALSE(bytesOf(folder.favouritesPath()).contains("<th width=\"45%\">"));
        EXPECT_TRUE(bytesOf(folder.favouritesPath()).contains("http://a.example/"));
        EXPECT_TRUE(
            bytesOf(folder.favouritesPath()).startsWith(original.left(original.indexOf("<body>"))));
    }
}

TEST_F(EditingTest, DeleteSelectKeepsBytesThatDoNotDecodeOrLeavesTheFileAlone) {
    page()->pageUrl = folder.favouritesUrl();
    QByteArray original = shippedFavourites();
    original.replace("<title>favorites</title>", "<title>favorites \xFF\x80</title>");
    writeBytes(folder.favouritesPath(), original);
    page()->selection = "http://a.example/";
    editing.deleteSelectFromFavourites();
    QByteArray expected = original;
    const qsizetype row = expected.indexOf("<tr class");
    expected.remove(row, expected.indexOf("</tr>", row) + 6 - row);
    EXPECT_EQ(bytesOf(folder.favouritesPath()), expected);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    // A file this program cannot write back as it was is not rewritten; the user is told why.
    QByteArray cyrillic = shippedFavourites();
    cyrillic.replace("charset=gb18030", "charset=windows-1251");
    cyrillic.replace("<h1>", "<h1>\xCF\xF0\xE8\xE2\xE5\xF2 ");
    writeBytes(folder.favouritesPath(), cyrillic);
    editing.deleteSelectFromFavourites();
    EXPECT_EQ(bytesOf(folder.favouritesPath()), cyrillic);
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts().front().contains("windows-1251"));
}

TEST_F(EditingTest, TemplatesAreWrittenLoadedPastedAndFilled) {
    EXPECT_FALSE(editing.saveTemplate("../evil", {{"a", "b"}}));
    EXPECT_FALSE(editing.saveTemplate("", {{"a", "b"}}));
    EXPECT_FALSE(QFileInfo::exists(QDir(programDir.path()).filePath("evil.ini")));
    EXPECT_EQ(dialogs.shown.size(), 2);
    ASSERT_TRUE(editing.saveTemplate("常用", {{"用户名", "张三"}, {"城市", "北京"}}));
    QFile file(folder.filePath("inputtemplate/常用.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              common::encodeText("第1项名称:[用户名]\r\n第1项内容:[张三]\r\n第2项名称:[城市]"
                                 "\r\n第2项内容:[北京]\r\n\r\n"));
    EXPECT_EQ(menus["inputform"], QStringList({"add_常用", "all_常用", "delete_常用"}));

    editing.loadTemplate("常用");
    editing.loadTemplate("常用");
    EXPECT_EQ(menus["paste"], QStringList({"template_常用_之_用户名", "template_常用_之_城市"}));
    for (const char *type : {"text", "password", "button"}) {
        page()->focusedType = type;
        page()->focusedValue.clear();
        ASSERT_TRUE(testing_support::finish(editing.pasteTemplateItem("常用_之_城市")));
        EXPECT_EQ(page()->focusedValue, QString(type) == "button" ? "" : "北京") << type;
    }

    page()->pageHtml =
        "<form>城市：<input type=text name=where><input name=用户名 type=text></form>";
    ASSERT_TRUE(testing_support::finish(editing.fillTemplate("常用")));
    EXPECT_EQ(page()->namedValues,
              (QList<QPair<QString, QString>>{{"where", "北京"}, {"用户名", "张三"}}));
    EXPECT_EQ(panels.last["s2"], "已用【常用】模板填写 2 个表单项");
    page()->pageHtml = "<p>没有表单</p>";
    ASSERT_TRUE(testing_support::finish(editing.fillTemplate("常用")));
    EXPECT_EQ(panels.last["s2"], "这个网页上没有【常用】模板能填写的表单项");
}

// "修改模板" shows the template in the program's own editor; a change keeps its name without
// the replace question. A template written by hand opens as text in a tab.
TEST_F(EditingTest, ChangingATemplateOpensItInTheEditorOrAsText) {
    ASSERT_TRUE(editing.saveTemplate("常用", {{"用户名", "张三"}, {"城市", "北京"}}));
    editing.editTemplate("常用");
    EXPECT_EQ(dialogs.templateShown.first, "常用");
    ASSERT_EQ(dialogs.templateShown.second.size(), 2);
    EXPECT_EQ(dialogs.templateShown.second[1].content, "北京");
    ASSERT_TRUE(dialogs.templateEditor);
    EXPECT_TRUE(dialogs.templateEditor("常用", {{"城市", "上海"}}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(common::readTextFile(folder.filePath("inputtemplate/常用.ini")).text,
              "第1项名称:[城市]\r\n第1项内容:[上海]\r\n\r\n");

    const QString handWritten = folder.filePath("inputtemplate/手写.ini");
    QFile file(handWritten);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[+user+name+][zhang][User]\r\n");
    file.close();
    const int before = tabs.tabCount();
    editing.editTemplate("手写");
    ASSERT_EQ(tabs.tabCount(), before + 1);
    EXPECT_EQ(tabs.currentView()->url(), QUrl::fromLocalFile(handWritten));
    EXPECT_TRUE(panels.last["s2"].contains(handWritten));
}

TEST_F(EditingTest, TheTemplateEditorAsksBeforeReplacingAndRefusesWhatTheFileCannotHold) {
    const QString path = folder.filePath("inputtemplate/常用.ini");
    ASSERT_TRUE(editing.saveTemplate("常用", {{"城市", "北京"}}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    dialogs.answers = {Dialogs::Answer::No};
    EXPECT_FALSE(editing.saveTemplate("常用", {{"城市", "上海"}}));
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"已经有名为【常用】的模板，是否要覆盖它？"}));
    EXPECT_EQ(common::readTextFile(path).text, "第1项名称:[城市]\r\n第1项内容:[北京]\r\n\r\n");
    dialogs.answers = {Dialogs::Answer::Yes};
    EXPECT_TRUE(editing.saveTemplate("常用", {{"城市", "上海"}}));
    EXPECT_EQ(common::readTextFile(path).text, "第1项名称:[城市]\r\n第1项内容:[上海]\r\n\r\n");
    EXPECT_EQ(menus["inputform"], QStringList({"add_常用", "all_常用", "delete_常用"}));
    // "]" ends a value in the file: "123]456" would fill as "123".
    dialogs.shown.clear();
    EXPECT_FALSE(editing.saveTemplate("号码", {{"电话", "1"}, {"分机", "123]456"}}));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].contains("第2项的内容里有“]”"));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("inputtemplate/号码.ini")));
    EXPECT_FALSE(editing.saveTemplate("号码", {{"a]", "1"}}));
    EXPECT_TRUE(dialogs.messageTexts()[1].contains("第1项的名称"));
}

TEST_F(EditingTest, GroupsOpenEveryLineInATabOfItsOwn) {
    QDir().mkpath(folder.filePath("group"));
    ASSERT_TRUE(
        common::writeTextFile(folder.filePath("group/新闻.txt"),
                              "http://a.example/\r\n首页(http://b.example/)\r\nabout:blank\r\n\r\n"
                              "脚本(javascript:document.title=1)\r\nchrome://crash\r\n"));
    ASSERT_TRUE(testing_support::finish(editing.openGroup("新闻")));
    ASSERT_EQ(tabs.tabCount(), 5);
    EXPECT_EQ(factory.created[1]->navigations, QList<QUrl>({QUrl("http://a.example/")}));
    EXPECT_EQ(factory.created[2]->navigations, QList<QUrl>({QUrl("http://b.example/")}));
    EXPECT_TRUE(factory.created[3]->navigations.isEmpty());
    EXPECT_TRUE(factory.created[4]->navigations.isEmpty());
    EXPECT_EQ(panels.last["s2"], "没有打开 2 个不能打开的地址（只打开 http、https 和 file "
                                 "网址）：javascript:document.title=1 chrome://crash");
    ASSERT_TRUE(testing_support::finish(editing.openGroup("missing")));
    EXPECT_EQ(dialogs.shown.size(), 1);
}

// A group of thousands opens whole, a slice of tabs per turn of the event loop.
TEST_F(EditingTest, AGroupOfThousandsOpensEveryAddress) {
    QString group;
    for (int i = 0; i < 3000; ++i)
        group += QString("第%1页(http://h.example/%1.htm)\r\n").arg(i);
    ASSERT_TRUE(QDir().mkpath(folder.filePath("group")));
    ASSERT_TRUE(common::writeTextFile(folder.filePath("group/大.txt"), group));
    ASSERT_TRUE(testing_support::finish(editing.openGroup("大"), 120000));
    EXPECT_EQ(tabs.tabCount(), 3001);
}

} // namespace
