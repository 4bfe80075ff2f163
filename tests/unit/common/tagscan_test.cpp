// Every reader of markup in the program reads tags through these rules.
#include "common/tagscan.h"

#include <gtest/gtest.h>

namespace {

TEST(TagScan, ATagEndsAtTheFirstGreaterThanOutsideAQuotedValue) {
    const struct {
        const char16_t *html;
        qsizetype end;
    } cases[] = {
        {u"<a href=x>t", 10},
        {u"<a title=it's href=x>go</a>", 21}, // a quote inside an unquoted value opens nothing
        {u"<a title='x>y' href=z>", 22},
        {u"<a title = \"x>y\">", 17}, // blanks around "="
        {u"<a \"x>y\">", 6},          // a quote where no value starts is part of a name
        {u"<br/>", 5},
        {u"<a title='never closed>", -1},
        {u"<a href=x", -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(common::tagEnd(c.html, 0), c.end) << QString::fromUtf16(c.html).toStdString();
}

TEST(TagScan, AttributesAreReadAsWrittenAndDecodedOnRequest) {
    const QStringView tag = u"<A HREF='b?x=1&amp;y=2' data-x=1 Title=it's checked href=second>";
    EXPECT_EQ(common::rawTagAttribute(tag, u"href").value_or(u"?"), u"b?x=1&amp;y=2");
    EXPECT_EQ(common::tagAttribute(tag, u"href").value_or("?"), "b?x=1&y=2");
    EXPECT_EQ(common::tagAttribute(tag, u"title").value_or("?"), "it's");
    EXPECT_EQ(common::tagAttribute(tag, u"checked").value_or("?"), "");
    EXPECT_FALSE(common::tagAttribute(tag, u"x").has_value());
    EXPECT_FALSE(common::tagAttribute(u"<a>href=no</a>", u"href").has_value());

    EXPECT_EQ(common::tagName(u"<DL><p>", 0), "dl");
    EXPECT_EQ(common::tagName(u"</H3 >", 0), "/h3");
    EXPECT_EQ(common::tagName(u"<br/>", 0), "br");
    EXPECT_TRUE(common::opensTag(u"x<A/>", 1, u"a"));
    EXPECT_FALSE(common::opensTag(u"<abbr>", 0, u"a"));
}

} // namespace
