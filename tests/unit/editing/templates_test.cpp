#include "editing/templateeditor.h"
#include "editing/templates.h"

#include <gtest/gtest.h>

namespace {

using namespace editing;

TEST(TemplateFile, TheEditorWritesTwoLinesPerItemAndAnEmptyLine) {
    EXPECT_EQ(
        templateFileText({{"用户名", "张三"}, {"城市", "北京"}}),
        "第1项名称:[用户名]\r\n第1项内容:[张三]\r\n第2项名称:[城市]\r\n第2项内容:[北京]\r\n\r\n");
    const QString file = templateFileText({{"用户名", "张三"}, {"城市", "北京"}});
    EXPECT_EQ(templateItemNames(file), QStringList({"用户名", "城市"}));
    EXPECT_EQ(templateItemValue(file, "城市"), QString("北京"));
    EXPECT_EQ(templateItemValue(file, "电话"), std::nullopt);
}

TEST(TemplateFile, NamesThatAreNoFileNamesAreRefused) {
    for (const char *bad :
         {"", "  ", "..", ".", "a/b", "..\\x", "a:b", "a*", "a?", "a|b", "a\"", "<a>"})
        EXPECT_FALSE(templateNameProblem(QString::fromUtf8(bad)).isEmpty()) << bad;
    for (const char *good : {"常用", "x.y", "my form", "a..b"})
        EXPECT_TRUE(templateNameProblem(QString::fromUtf8(good)).isEmpty()) << good;
}

TEST(TemplateEditor, StepsThroughItemsAndAddsAnEmptyOneAfterTheLast) {
    TemplateEditorState state;
    state.previous({"x", "y"}); // on the first item: nothing happens
    EXPECT_EQ(state.current(), 1);
    EXPECT_TRUE(state.shown().name.isEmpty());
    state.next({"用户名", "张三"});
    EXPECT_EQ(state.current(), 2);
    EXPECT_EQ(state.count(), 2);
    EXPECT_TRUE(state.shown().name.isEmpty());
    state.previous({"城市", "北京"});
    EXPECT_EQ(state.shown().name, "用户名");
    state.next({"用户名", "李四"});
    EXPECT_EQ(state.shown().name, "城市");
    EXPECT_EQ(state.items()[0].content, "李四");
}

TEST(FillRules, TriplesFromHandWrittenFilesPairsFromTheEditor) {
    const auto triples =
        fillRules(u"a:[+user+username+] b:[张三] c:[用户名] d:[+pw+] e:[secret] f:[]");
    ASSERT_EQ(triples.size(), 2);
    EXPECT_EQ(triples[0].namePatterns, "+user+username+");
    EXPECT_EQ(triples[0].content, "张三");
    EXPECT_EQ(triples[0].label, "用户名");
    const auto pairs = fillRules(templateFileText({{"email", "a@b.example"}, {"", "skip"}}));
    ASSERT_EQ(pairs.size(), 1);
    EXPECT_EQ(pairs[0].namePatterns, "+email+");
    EXPECT_EQ(pairs[0].label, "email");
    // Broken files end the parse: a missing "]" or an incomplete last group.
    EXPECT_EQ(fillRules(u"a:[x] b:[y] c:[z] d:[unterminated").size(), 1);
    EXPECT_TRUE(fillRules(u":[:[:[").isEmpty());
    EXPECT_TRUE(fillRules(u"").isEmpty());
}

TEST(FieldsToFill, ByNameIgnoringCaseThenByLabel) {
    const QList<FillRule> rules = {{"+user+username+", "张三", "姓名"},
                                   {"+city+", "北京", "所在城市"}};
    const QString html = "<form>用户：<input type=text name=UserName>"
                         "<input type=hidden name=user><input type=\"radio\" name=user>"
                         "<input type='hidden' name=user>"
                         "所在城市：&nbsp;<input name=\"c1\" type=text>"
                         "<input type=text id=noname><input name='user' type=text>"
                         "<textarea name=CITY></textarea></form>";
    EXPECT_EQ(fieldsToFill(html, rules),
              (QList<QPair<QString, QString>>{{"UserName", "张三"},
                                              {"user", "张三"}, // type='hidden' in single quotes
                                              {"c1", "北京"},
                                              {"user", "张三"}, // no name: the next one's
                                              {"user", "张三"},
                                              {"CITY", "北京"}}));
}

TEST(FieldsToFill, LabelSearchStopsAtTheStartOfThePage) {
    EXPECT_TRUE(fieldsToFill(u"<input type=text name=x>", {{"+y+", "v", "label"}}).isEmpty());
    EXPECT_EQ(fieldsToFill(u"Label<input type=text name=x>", {{"+y+", "v", "label"}}),
              (QList<QPair<QString, QString>>{{"x", "v"}}));
}

} // namespace
