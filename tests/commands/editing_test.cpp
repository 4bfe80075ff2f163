#include "common/ansifile.h"
#include "editing/editingcommands.h"
#include "editing/templates.h"
#include "support/commandfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using shell::Dialogs;
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
    editing::EditingCommands editing;
};

TEST_F(EditingTest, DeleteSelectFromPageRemovesEveryOccurrenceButNotOnTheFavourites) {
    page()->pageHtml = "<p>广告 text 广告</p><a href='x'>广告</a>";
    page()->selection = " 广告 ";
    editing.deleteSelectFromPage();
    EXPECT_EQ(page()->pageHtml, "<p> text </p><a href='x'></a>");
    page()->selection = "a & b";
    page()->pageHtml = "<p>a &amp; b</p>";
    editing.deleteSelectFromPage();
    EXPECT_EQ(page()->pageHtml, "<p>a &amp; b</p>");
    page()->selection.clear();
    editing.deleteSelectFromPage();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"请选择网页中你要删除的文字！"}));
    page()->pageUrl = folder.favouritesUrl();
    page()->selection = "a";
    editing.deleteSelectFromPage();
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
    EXPECT_EQ(menus["inputform"], QStringList({"add_常用", "delete_常用"}));

    editing.loadTemplate("常用");
    editing.loadTemplate("常用");
    EXPECT_EQ(menus["paste"], QStringList({"template_常用_之_用户名", "template_常用_之_城市"}));
    for (const char *type : {"text", "password", "button"}) {
        page()->focusedType = type;
        page()->focusedValue.clear();
        editing.pasteTemplateItem("常用_之_城市");
        EXPECT_EQ(page()->focusedValue, QString(type) == "button" ? "" : "北京") << type;
    }

    page()->pageHtml =
        "<form>城市：<input type=text name=where><input name=用户名 type=text></form>";
    editing.fillTemplate("常用");
    EXPECT_EQ(page()->namedValues,
              (QList<QPair<QString, QString>>{{"where", "北京"}, {"用户名", "张三"}}));
    editing.editTemplate("常用");
    EXPECT_EQ(dialogs.opened, QStringList({folder.filePath("inputtemplate/常用.ini")}));
}

TEST_F(EditingTest, GroupsOpenEveryLineInATabOfItsOwn) {
    QDir().mkpath(folder.filePath("group"));
    ASSERT_TRUE(common::writeTextFile(
        folder.filePath("group/新闻.txt"),
        "http://a.example/\r\n首页(http://b.example/)\r\nabout:blank\r\n\r\n"));
    editing.openGroup("新闻");
    ASSERT_EQ(tabs.tabCount(), 5);
    EXPECT_EQ(factory.created[1]->navigations, QList<QUrl>({QUrl("http://a.example/")}));
    EXPECT_EQ(factory.created[2]->navigations, QList<QUrl>({QUrl("http://b.example/")}));
    EXPECT_TRUE(factory.created[3]->navigations.isEmpty());
    EXPECT_TRUE(factory.created[4]->navigations.isEmpty());
    editing.openGroup("missing");
    EXPECT_EQ(dialogs.shown.size(), 1);
}

} // namespace
